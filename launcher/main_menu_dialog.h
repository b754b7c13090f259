// The launcher's main menu (dialog template IDD_MAIN_MENU): a picture, buttons that start the
// installation's programs and documents and open the user settings and the
// maker's home page. Opening it runs the version check and self-update.
// The commands without a control of their own (sign-in with this month's
// usage, download of the update program, the subscriber's page) are items of
// the window's system menu, beside the About item.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

class MainMenuDialog : public platform::CDialog {
 public:
  MainMenuDialog();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  void OnSysCommand(unsigned command, std::intptr_t param) override;
  void OnPaint() override;
  platform::IconHandle OnQueryDragIcon() override;

 private:
  void OnWeatherData();
  void OnSecondProgram();
  void OnCommentary();
  void OnMakerHomePage();
  void OnUserSettings();
  void OnUserPage();
  void OnMonthlyUsage();
  void OnUpdateProgram();

  // Appends the About item and the items of the commands without controls
  // to the system menu, after a separator.
  void AddSystemMenuItems();

  static const platform::CommandEntry<MainMenuDialog> COMMANDS[];

  platform::IconHandle icon;
};
