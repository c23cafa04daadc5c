#pragma once
// The client update, without widgets: ask the service whether a newer client
// exists, refuse it unless a trusted release key signed it, offer it,
// download the installer into the temporary folder, check that it is the file
// that was signed, hand it to the desktop and end the client. Every step the
// teacher sees goes through an UpdateView, which the profile page implements
// with its dialogs.

#include "core/clientcontext.h"
#include "core/updatedownloader.h"
#include "core/worker.h"
#include "online/netrecords.h"

#include <QString>

class UpdateView {
public:
    // The boxes of the flow; argument fills the text where it has a place.
    enum Message {
        Offline,        // "your are offline!"
        Latest,         // "Current version is %1, the latest version!"
        StatusMismatch, // "Status mismatch!"
        EmptyPath,      // "Server return empty path!"
        OpenFileFailed, // "open file failed!"
        InstallFailed,  // "create install process failed!"
        NoInstaller,    // no program opens the installer; argument: where it is
        NoTarget,       // "empty path!"
        DownloadFailed, // "download file failed!"
        NotSigned,      // no trusted key signed the update (or this file)
    };

    virtual ~UpdateView() = default;
    // Runs the check job behind the processing dialog; true when it ended well
    // (a failure has shown its own box).
    virtual bool runCheck(const WorkerPtr& job) = 0;
    virtual void tell(Message message, const QString& argument) = 0;
    // Offers the new version; true when the teacher chose to update now.
    virtual bool offer(const _UpdateInfo& info) = 0;
    // Shows the running download until it has ended (or the view can show it
    // no longer); the teacher may stop it there.
    virtual void showDownload(UpdateDownloader& downloader) = 0;
};

class UpdateController {
public:
    enum Outcome {
        WasOffline,
        NoVersion,
        CheckFailed,
        UpToDate,
        Mismatch,
        NoPath,
        Declined,
        NotSigned,
        DownloadFailed,
        HandedOver,
        HandOverFailed,
    };

    explicit UpdateController(const ClientContext& context);

    // The whole flow; on HandedOver the application has been told to end
    // (the installer replaces this client). When the hand-over fails the
    // client stays and the installer stays where it was saved.
    Outcome run(UpdateView& view);

private:
    ClientContext m_context;
};
