#include "FtpWorker.h"

#include "UiMailbox.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {
// Long enough for a polite QUIT to a healthy server.
constexpr std::chrono::milliseconds kStopWait(200);
} // namespace

struct FtpWorker::Shared
{
    Shared(QObject* receiver, StateHandler state, DoneHandler done, ProgressHandler progress)
        : mailbox(receiver), onState(std::move(state)), onDone(std::move(done)),
          onProgress(std::move(progress))
    {
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finishedChanged;
    std::deque<FtpJob> jobs;
    bool finished = false;
    std::atomic<bool> stopping{false};
    std::atomic<quint64> cancelledUpTo{0};
    FtpSession session;
    UiMailbox mailbox;
    StateHandler onState;
    DoneHandler onDone;
    ProgressHandler onProgress;

    bool abandoned(quint64 job) const { return stopping || job <= cancelledUpTo; }
};

FtpWorker::FtpWorker(QObject* receiver, StateHandler onState, DoneHandler onDone,
                     ProgressHandler onProgress)
    : m_shared(std::make_shared<Shared>(receiver, std::move(onState), std::move(onDone),
                                        std::move(onProgress)))
{
}

FtpWorker::~FtpWorker()
{
    m_shared->mailbox.close();
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = true;
        m_shared->jobs.clear();
    }
    m_shared->wake.notify_all();
    m_shared->session.wakeup();
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    if (m_shared->finishedChanged.wait_for(lock, kStopWait,
                                           [this] { return m_shared->finished; })) {
        lock.unlock();
        m_thread.join();
    } else {
        m_thread.detach();
    }
}

void FtpWorker::submit(FtpJob job)
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->jobs.push_back(std::move(job));
    }
    if (!m_thread.joinable())
        m_thread = std::thread(serve, m_shared);
    m_shared->wake.notify_one();
}

void FtpWorker::cancelUpTo(quint64 job)
{
    if (job > m_shared->cancelledUpTo)
        m_shared->cancelledUpTo = job;
    m_shared->session.wakeup();
}

void FtpWorker::serve(const std::shared_ptr<Shared>& shared)
{
    for (;;) {
        FtpJob job;
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->wake.wait(lock, [&] { return shared->stopping || !shared->jobs.empty(); });
            if (shared->stopping)
                break;
            job = std::move(shared->jobs.front());
            shared->jobs.pop_front();
        }
        if (shared->abandoned(job.id))
            continue;
        const quint64 id = job.id;
        const auto reportState = [&shared, id](int state) {
            shared->mailbox.post([shared, id, state] { shared->onState(id, state); });
        };
        const auto reportProgress = [&shared, id](qint64 done, qint64 total) {
            shared->mailbox.post([shared, id, done, total] { shared->onProgress(id, done, total); });
        };
        const FtpOutcome outcome = shared->session.run(
            job, reportState, [&shared, id] { return shared->abandoned(id); }, reportProgress);
        shared->mailbox.post([shared, id, outcome] { shared->onDone(id, outcome); });
    }
    shared->session.close();
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->finished = true;
    }
    shared->finishedChanged.notify_all();
}
