#include "sharedinstall.h"

#include <ftw.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace sharedinstall {

namespace {

bool g_shared = false;
gid_t g_group = 0;
bool g_allChanged = true;
std::mutex g_walk; // nftw takes no context: one walk at a time

int shareOne(const char* path, const struct stat* st, int type, struct FTW*) {
    if (type == FTW_SL || type == FTW_SLN)
        return 0;
    const bool folder = S_ISDIR(st->st_mode);
    if (st->st_gid != g_group && lchown(path, static_cast<uid_t>(-1), g_group) != 0)
        g_allChanged = false;
    mode_t mode = st->st_mode & 07777;
    mode |= S_IRGRP | S_IWGRP;
    if (folder)
        mode |= S_IXGRP | S_ISGID;
    // chown drops the set-ID bits of a file; a folder's are set here anyway.
    if ((mode != (st->st_mode & 07777) || st->st_gid != g_group) && chmod(path, mode) != 0)
        g_allChanged = false;
    return 0;
}

} // namespace

bool adopt(const std::string& folder) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !(st.st_mode & S_ISGID))
        return false;
    const mode_t old = umask(0);
    umask(old & ~mode_t(S_IRWXG));
    g_shared = true;
    g_group = st.st_gid;
    return true;
}

bool isShared() {
    return g_shared;
}

bool shareTree(const std::string& path) {
    if (!g_shared)
        return true;
    std::lock_guard<std::mutex> lock(g_walk);
    g_allChanged = true;
    if (nftw(path.c_str(), shareOne, 16, FTW_PHYS) != 0)
        return false;
    return g_allChanged;
}

} // namespace sharedinstall
