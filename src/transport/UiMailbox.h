#pragma once
// Hands work from a transfer thread to the thread of a QObject (the window
// system's thread). Once closed, nothing more is delivered, so the object
// may go away while a transfer thread still finishes on its own.

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <mutex>

class UiMailbox
{
public:
    explicit UiMailbox(QObject* receiver) : m_receiver(receiver) {}

    // Runs work later in the receiver's thread; dropped when the receiver
    // is gone before it gets there.
    void post(std::function<void()> work)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_receiver)
            QMetaObject::invokeMethod(m_receiver, std::move(work), Qt::QueuedConnection);
    }

    // Called in the receiver's thread before the receiver is destroyed.
    void close()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_receiver = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject* m_receiver;
};
