#include "tablet/window_doorbell.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace ondrel {

// Lives on the doorbell's thread; each posted event runs the handler there. The event itself
// carries nothing, so nothing but Qt's own queue crosses threads.
class WindowThreadDoorbell::Receiver final : public QObject {
  public:
    explicit Receiver(WindowThreadDoorbell& doorbell) : doorbell_(doorbell) {}

  protected:
    void customEvent(QEvent*) override { doorbell_.Answer(); }

  private:
    WindowThreadDoorbell& doorbell_;
};

WindowThreadDoorbell::WindowThreadDoorbell(std::function<void()> handler)
    : handler_(std::move(handler)), receiver_(std::make_unique<Receiver>(*this)) {}

WindowThreadDoorbell::~WindowThreadDoorbell() {
    std::lock_guard lock(mutex_);
    receiver_.reset();  // Qt drops the events still posted to it
}

void WindowThreadDoorbell::Ring() {
    if (rung_.exchange(true)) {
        return;  // a wake-up is on its way, and its handler will see everything
    }
    std::lock_guard lock(mutex_);
    if (receiver_) {
        QCoreApplication::postEvent(receiver_.get(), new QEvent(QEvent::User));
    }
}

void WindowThreadDoorbell::Answer() {
    rung_ = false;  // cleared before the handler looks, so a ring during the handler wakes it again
    handler_();
}

}  // namespace ondrel
