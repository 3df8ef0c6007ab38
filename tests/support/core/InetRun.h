#pragma once
// Running commands on a transfer component the way the windows do: each
// command's end is read in the state handler, its response chunk by chunk.

#include "transport/Inet.h"
#include "transport/SiteAccount.h"
#include "transport/SiteConfig.h"
#include "transport/Wait.h"
#include "site/WebFiles.h"

#include <QObject>
#include <memory>

struct Completion
{
    int state = 0;
    QString response;
};

// Every state change and every command's completion while it lives.
class Recorder : public QObject
{
public:
    explicit Recorder(Inet& inet)
    {
        connect(&inet, &Inet::StateChanged, this, [this, &inet](int state) {
            states.append(state);
            if (state != icResponseCompleted && state != icError)
                return;
            completions.append({state, QString()});
            for (QString chunk = inet.GetChunkText(1024); !chunk.isEmpty(); chunk = inet.GetChunkText(1024))
                completions.last().response += chunk;
        });
    }
    QList<int> states;
    QList<Completion> completions;
};

// A component for the site's host and FTP account.
inline std::unique_ptr<Inet> SiteComponent()
{
    auto inet = std::make_unique<Inet>();
    UseSiteAccount(*inet);
    return inet;
}

inline Completion Run(Inet& inet, const QString& command)
{
    Recorder recorder(inet);
    Wait::ExecuteAndWait(inet, command);
    return recorder.completions.value(0);
}
