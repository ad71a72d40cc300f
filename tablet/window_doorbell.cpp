#include "tablet/window_doorbell.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace ondrel {

namespace {

// Takes the doorbell's events on the creating thread. A posted event rather than a queued call
// of a capturing lambda: the lambda's copy, made on the ringing thread, would be read here before
// any of our code could order it after the ring, and that order comes only from inside Qt (its
// event queue's lock), where ThreadSanitizer cannot see it. The event itself is not looked at
// before `ring` has ordered everything after the post.
class DoorbellReceiver final : public QObject {
  public:
    explicit DoorbellReceiver(std::function<void()> ring) : ring_(std::move(ring)) {}

    bool event(QEvent* event) override {
        ring_();
        return QObject::event(event);
    }

  private:
    std::function<void()> ring_;
};

}  // namespace

WindowThreadDoorbell::WindowThreadDoorbell(std::function<void()> handler)
    : handler_(std::move(handler)), receiver_(std::make_unique<DoorbellReceiver>([this] {
          {
              // Ring() posts while holding this mutex: taking it orders the post, and the
              // event's allocation, before what follows here.
              std::lock_guard lock(mutex_);
          }
          if (rung_.exchange(false)) {
              // Cleared before the handler looks, so a ring during the handler wakes it again.
              handler_();
          }
      })) {}

WindowThreadDoorbell::~WindowThreadDoorbell() {
    std::lock_guard lock(mutex_);
    receiver_.reset();  // Qt discards the events still posted to it
}

void WindowThreadDoorbell::Ring() {
    if (rung_.exchange(true)) {
        return;  // a wake-up is on its way, and its handler will see everything
    }
    std::lock_guard lock(mutex_);
    if (!receiver_) {
        return;
    }
    QCoreApplication::postEvent(receiver_.get(), new QEvent(QEvent::User));
}

}  // namespace ondrel
