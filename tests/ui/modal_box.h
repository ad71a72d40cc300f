#pragma once

// Answers the modal box a test opens, from inside the box's own event loop. An assertion there
// would only leave the lambda and the box would wait for ever; so when the active modal widget
// is not the box expected, whatever is modal is closed, the caller's exec() returns, and the test
// fails afterwards on `found`.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace ondrel::test {

template <class Box>
void AnswerModalBox(bool& found, std::function<void(Box&)> answer) {
    found = false;
    QTimer::singleShot(0, [&found, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<Box*>(modal)) {
            found = true;
            answer(*box);
        } else if (modal != nullptr) {
            modal->close();
        }
    });
}

}  // namespace ondrel::test
