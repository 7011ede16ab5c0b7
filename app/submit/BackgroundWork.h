#pragma once
// Runs one piece of blocking work (a request that may take up to a minute)
// on a thread of its own, so the window keeps painting, and hands its result
// to the owner's thread. Destroying the object cancels the work and waits
// for it, so no result ever reaches an owner that is gone.

#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace fd {

class BackgroundWork : public QObject {
public:
    using QObject::QObject;
    ~BackgroundWork() override {
        cancel();
        wait();
    }

    bool running() const { return running_; }
    // Asks the running work to stop; it sees the flag it was handed.
    void cancel() { cancel_.store(true); }

    // Starts work(cancel flag) unless work is running already (then returns
    // false). done(result) is called on this object's thread.
    template <class T>
    bool start(std::function<T(const std::atomic<bool>&)> work, std::function<void(T)> done) {
        if (running_) return false;
        wait();
        cancel_.store(false);
        running_ = true;
        thread_ = std::thread([this, work = std::move(work), done = std::move(done)] {
            auto result = std::make_shared<T>(work(cancel_));
            QMetaObject::invokeMethod(
                this,
                [this, done, result] {
                    running_ = false;
                    wait();
                    done(std::move(*result));
                },
                Qt::QueuedConnection);
        });
        return true;
    }

    // Calls fn on this object's thread, from the work's thread (progress).
    void post(std::function<void()> fn) {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    }

    // Waits until the work's thread has ended (its result may still be on
    // its way to this object's thread).
    void wait() {
        if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
    }

private:
    std::atomic<bool> cancel_{false};
    bool running_ = false;
    std::thread thread_;
};

}  // namespace fd
