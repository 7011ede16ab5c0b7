#pragma once
// The program's transfer control: a URL fetch and background FTP uploads, one
// request at a time.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "core/AppError.h"

namespace fd {

class InetTransfer {
public:
    virtual ~InetTransfer() = default;
    // Fetches the whole document synchronously. Throws AppError: 35764 when
    // a transfer is still running, 35754 when the server cannot be reached.
    virtual QByteArray openUrl(const QString& url) = 0;

    // The outcome of a fetch: the body, or the failure openUrl would throw.
    using FetchDone =
        std::function<void(const QByteArray& body, const std::optional<AppError>& failure)>;
    // Fetches the whole document without blocking the caller: done is called
    // later on context's thread (never from within this call), and not at all
    // when context is gone by then. The control counts as executing until
    // the fetch has ended. This default runs openUrl at once and hands its
    // outcome on later; a control with a thread of its own fetches there.
    virtual void startFetch(const QString& url, QObject* context, FetchDone done);

    // Starts an FTP PUT of a local file in the background.
    virtual void startPut(const QString& server, const QString& user, const QString& password,
                          const QString& localFile, const QString& remotePath) = 0;

    // Called once the upload last started has connected to the server and
    // logged in (no failure), or could not (an AppError 35754 saying why:
    // the name not found, nothing listening, the login refused). done runs
    // on context's thread, or not at all when context is given and gone by
    // then. This default, for controls that connect as they start, calls
    // done at once with no failure.
    using ConnectDone = std::function<void(const std::optional<AppError>& failure)>;
    virtual void whenConnected(QObject* context, ConnectDone done);

    virtual bool stillExecuting() const = 0;
    virtual int responseCode() const = 0;
    virtual QString responseInfo() const = 0;
};

}  // namespace fd
