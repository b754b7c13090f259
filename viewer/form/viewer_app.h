// ViewerApp: the program object of the viewer tarvex. Its start-up shows the
// query form modally; when the form closes, the program ends.
#pragma once

#include "platform/app.h"

class ViewerApp : public platform::CWinApp {
 public:
  // The framework's own boxes carry the viewer's caption.
  ViewerApp();

  // Makes the program's folder the current one, where the form finds the
  // files of its installation by name whatever folder it was started from,
  // and tells the user when that folder cannot be used; then shows the form.
  bool InitInstance() override;
};
