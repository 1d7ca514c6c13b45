#include "platform/main_dispatcher.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <cassert>
#include <mutex>
#include <vector>

#include "platform/event.h"

namespace morvaline {

// A send() waiting for the main thread. ran is written before done is set.
struct MainDispatcher::PendingSend {
    std::function<void()> fn;
    bool ran = false;
    Event done;
};

struct MainDispatcher::Queue {
    std::mutex mutex;
    bool closed = false;
    QObject* receiver = nullptr;  // lives on the main thread; queued calls are delivered to it
    std::vector<std::shared_ptr<PendingSend>> pending;

    bool isClosed() {
        std::lock_guard lock(mutex);
        return closed;
    }
};

MainDispatcher::MainDispatcher()
    : mainThread_(std::this_thread::get_id()), queue_(std::make_shared<Queue>()) {
    queue_->receiver = new QObject;
}

MainDispatcher::~MainDispatcher() {
    shutdown();
}

void MainDispatcher::postTo(const std::shared_ptr<Queue>& queue, std::function<void()> fn) {
    std::lock_guard lock(queue->mutex);
    if (queue->closed) return;
    QMetaObject::invokeMethod(
        queue->receiver,
        [queue, fn = std::move(fn)] {
            if (!queue->isClosed()) fn();
        },
        Qt::QueuedConnection);
}

void MainDispatcher::post(std::function<void()> fn) {
    postTo(queue_, std::move(fn));
}

MainDispatcher::Poster MainDispatcher::poster() const {
    return [queue = queue_](std::function<void()> fn) { postTo(queue, std::move(fn)); };
}

bool MainDispatcher::send(const std::function<void()>& fn) {
    if (isMainThread()) {
        if (queue_->isClosed()) return false;
        fn();
        return true;
    }
    auto pending = std::make_shared<PendingSend>();
    pending->fn = fn;
    {
        std::lock_guard lock(queue_->mutex);
        if (queue_->closed) return false;
        queue_->pending.push_back(pending);
        QMetaObject::invokeMethod(
            queue_->receiver,
            [queue = queue_, pending] {
                {
                    std::lock_guard lock(queue->mutex);
                    const auto it =
                        std::find(queue->pending.begin(), queue->pending.end(), pending);
                    if (it == queue->pending.end()) return;  // released by shutdown()
                    queue->pending.erase(it);
                }
                pending->fn();
                pending->ran = true;
                pending->done.set();
            },
            Qt::QueuedConnection);
    }
    pending->done.wait();
    return pending->ran;
}

void MainDispatcher::shutdown() {
    assert(isMainThread());
    std::vector<std::shared_ptr<PendingSend>> released;
    {
        std::lock_guard lock(queue_->mutex);
        if (queue_->closed) return;
        queue_->closed = true;
        released.swap(queue_->pending);
        // Later, not now: shutdown() may itself run inside a call delivered to the receiver.
        queue_->receiver->deleteLater();
        queue_->receiver = nullptr;
    }
    for (const auto& pending : released) pending->done.set();
}

}  // namespace morvaline
