#include "InetTransfer.h"

#include <QCoreApplication>
#include <QTimer>

namespace fd {

void InetTransfer::startFetch(const QString& url, QObject* context, FetchDone done) {
    QByteArray body;
    std::optional<AppError> failure;
    try {
        body = openUrl(url);
    } catch (const AppError& e) {
        failure = e;
    }
    QObject* target = context ? context : QCoreApplication::instance();
    QTimer::singleShot(0, target, [done = std::move(done), body, failure] { done(body, failure); });
}

void InetTransfer::whenConnected(QObject*, ConnectDone done) {
    done(std::nullopt);
}

}  // namespace fd
