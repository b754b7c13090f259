// ViewerApp: the program object of the viewer tarvex. Its start-up shows the
// query form modally; when the form closes, the program ends.
#pragma once

#include "platform/app.h"

class ViewerApp : public platform::CWinApp {
 public:
  bool InitInstance() override;
};
