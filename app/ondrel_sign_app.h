#pragma once

#include <QApplication>

namespace ondrel {

// The one application object. Start-up refreshes the agreement image through the site's script
// when it is out of date, then runs the signing window; when the window closes, the process ends.
class COndrel_signApp {
  public:
    COndrel_signApp(int& argc, char** argv);

    // Runs start-up and the signing window. Returns false: there is no message loop of the
    // application's own after the window.
    bool InitInstance();

  private:
    QApplication application_;
    int argc_;
};

}  // namespace ondrel
