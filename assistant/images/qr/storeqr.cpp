// Build step: draws the store's QR picture as SVG from the compiled-in store
// address, so ":/images/store_qr" always carries the address the store
// dialog's button opens.
//
// Usage: storeqr <output.svg>

#include "ui/packs/storeaddress.h"

#include <qrencode.h>

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.svg>\n", argv[0]);
        return 2;
    }
    // Level M: the code stays readable with a smudge on a printed or photographed screen.
    QRcode* code = QRcode_encodeString(kStoreAddress, 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code) {
        std::perror("QRcode_encodeString");
        return 1;
    }
    const int quiet = 2; // modules of white around the symbol; the dialog's background is dark
    const int n = code->width + 2 * quiet;
    std::string modules;
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                modules += "M" + std::to_string(x + quiet) + "," + std::to_string(y + quiet) + "h1v1h-1z";
    QRcode_free(code);

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\" baseProfile=\"tiny\" width=\"120\" "
           "height=\"120\" viewBox=\"0 0 "
        << n << " " << n << "\">\n"
        << "<rect x=\"0\" y=\"0\" width=\"" << n << "\" height=\"" << n << "\" fill=\"#FFFFFF\"/>\n"
        << "<path fill=\"#000000\" d=\"" << modules << "\"/>\n"
        << "</svg>\n";
    out.close();
    return out ? 0 : 1;
}
