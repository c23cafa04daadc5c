#pragma once
// The client update, without widgets: ask the service whether a newer client
// exists, offer it, download the installer into the temporary folder, hand it
// to the desktop and end the client. Every step the teacher sees goes through
// an UpdateView, which the profile page implements with its dialogs (and a
// test with plain code).

#include "core/clientcontext.h"
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
    };

    virtual ~UpdateView() = default;
    // Runs the check job behind the processing dialog; true when it ended well
    // (a failure has shown its own box).
    virtual bool runCheck(const WorkerPtr& job) = 0;
    virtual void tell(Message message, const QString& argument) = 0;
    // Offers the new version; true when the teacher chose to update now.
    virtual bool offer(const _UpdateInfo& info) = 0;
    // Downloads address into filePath with its progress on screen; true when
    // the file arrived whole (and matches the checksum the offer named).
    virtual bool download(const QString& address, const QString& filePath, const _UpdateInfo& info) = 0;
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
        DownloadFailed,
        HandedOver,
        HandOverFailed,
    };

    explicit UpdateController(const ClientContext& context);

    // The whole flow; on HandedOver and HandOverFailed the application has
    // been told to end (the installer replaces this client).
    Outcome run(UpdateView& view);

private:
    ClientContext m_context;
};
