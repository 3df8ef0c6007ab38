#pragma once
// The thread on which one transfer component's FTP session runs its
// commands in order. What happens is reported back on the window system's
// thread; once the worker is destroyed nothing more is reported.

#include "FtpSession.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

class FtpWorker
{
public:
    using StateHandler = std::function<void(quint64 job, int state)>;
    using DoneHandler = std::function<void(quint64 job, const FtpOutcome& outcome)>;
    using ProgressHandler = std::function<void(quint64 job, qint64 done, qint64 total)>;

    // The handlers run in the receiver's thread.
    FtpWorker(QObject* receiver, StateHandler onState, DoneHandler onDone,
              ProgressHandler onProgress);
    // Abandons what runs and waits a moment for the thread; a thread still
    // caught in a network call after that finishes on its own.
    ~FtpWorker();
    FtpWorker(const FtpWorker&) = delete;
    FtpWorker& operator=(const FtpWorker&) = delete;

    void submit(FtpJob job);
    // Abandons every job up to this one, running or waiting.
    void cancelUpTo(quint64 job);

private:
    struct Shared;
    static void serve(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
