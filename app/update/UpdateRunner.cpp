#include "UpdateRunner.h"

#include "core/Globals.h"

namespace fd {

UpdateRunner::UpdateRunner(QObject* parent) : QObject(parent) {}

UpdateRunner::~UpdateRunner() = default;

bool UpdateRunner::start(const UpdateContext& context, bool bShowMessages) {
    if (running_) return false;
    context_.reset();
    context_.emplace(context);
    show_ = bShowMessages;
    UpdateContext& c = *context_;
    std::optional<QString> request;
    try {
        request = prepareUpdateRun(c);
        if (!request) return true;
        connection_ = std::make_unique<UpdateConnection>(c.db.databasePath());
    } catch (const std::exception& e) {
        finish(updateRunFailed(c, e));
        return true;
    }
    running_ = true;
    emit runningChanged(true);
    c.inet.startFetch(*request, this,
                      [this](const QByteArray& body, const std::optional<AppError>& failure) {
                          answerArrived(body, failure);
                      });
    return true;
}

void UpdateRunner::answerArrived(const QByteArray& body, const std::optional<AppError>& failure) {
    if (!running_ || !connection_) return;
    UpdateContext& c = *context_;
    QString message;
    try {
        if (failure) throw *failure;
        message = applyUpdateBody(c, *connection_, body);
    } catch (const std::exception& e) {
        message = updateRunFailed(c, e);
    }
    finish(message);
}

void UpdateRunner::finish(const QString& message) {
    connection_.reset();  // rolls back whatever was not committed
    if (running_) {
        running_ = false;
        emit runningChanged(false);
    }
    if (show_) context_->dialogs.message(context_->parent, message, kProductName);
}

}  // namespace fd
