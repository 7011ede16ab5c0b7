#pragma once
// The catalogue update without holding the window: the request is built and
// the private connection opened at once, the answer is fetched in the
// background by the transfer control (which stays busy meanwhile, so no
// upload or second fetch can start), and it is applied in one transaction on
// this object's thread when it arrives. Destroying the runner while it waits
// drops the answer unapplied.

#include <QObject>
#include <memory>
#include <optional>

#include "UpdateClient.h"

namespace fd {

class UpdateRunner : public QObject {
    Q_OBJECT
public:
    explicit UpdateRunner(QObject* parent = nullptr);
    ~UpdateRunner() override;

    // Starts a run (the context's services must outlive it); false, with
    // nothing started, while a run is still waiting for its answer.
    bool start(const UpdateContext& context, bool bShowMessages);
    bool running() const { return running_; }
    // Whether the current (or last) run shows its messages.
    bool showsMessages() const { return show_; }

signals:
    // True when a run starts waiting, false when it has ended (before its
    // closing message is shown).
    void runningChanged(bool running);

private:
    void answerArrived(const QByteArray& body, const std::optional<AppError>& failure);
    void finish(const QString& message);

    std::optional<UpdateContext> context_;
    std::unique_ptr<UpdateConnection> connection_;
    bool show_ = false;
    bool running_ = false;
};

}  // namespace fd
