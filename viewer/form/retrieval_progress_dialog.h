// RetrievalProgressDialog: the small window over the query form while the
// viewer signs in and the chosen stations' observations are fetched side by
// side. It shows "データを取得しています（n／N 地点）" with a bar, takes the
// replies in the list's order as they arrive, and its 中止 button (or Escape)
// ends the retrieval at once. The form stays drawn and the program answers the
// system throughout: the sign-in and the exchanges run on worker threads,
// and this window's message loop takes their replies.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "common/server_link.h"
#include "platform/controls.h"
#include "platform/dialog.h"
#include "viewer/base/observation_row.h"
#include "viewer/retrieval/retrieve.h"

class BackgroundStep;
class ParallelRetrieval;

class RetrievalProgressDialog : public platform::CDialog {
 public:
  // Runs `signIn` (true when signed in) on a worker thread and, once it has
  // succeeded, fetches `query`'s stations through `exchange`, `connections`
  // side by side; `cancelExchanges` ends the exchanges under way, the
  // sign-in's among them, when the user cancels. Once `allowanceUsedUp` is
  // set (the data server refused a station for the month's allowance) no
  // station's failure is told and the retrieval ends as cancelled: the
  // caller tells why. The window is owned by `form`.
  RetrievalProgressDialog(platform::CWnd& form, const Query& query, int connections, std::function<bool()> signIn,
                          StationExchange exchange, std::function<void()> cancelExchanges,
                          const std::atomic<bool>& allowanceUsedUp);
  ~RetrievalProgressDialog() override;

  // Shows the window until every station has been taken or the retrieval
  // ended. Done: `rows` holds every row in list order, each failed station
  // having been told in a box of its own (owned by no window) when its turn
  // came. Failed: `signIn` answered false and no station was asked for;
  // what it wrote may be read. Cancelled: the user ended it; nothing is to
  // be told and `rows` is empty. Otherwise how the exchange whose exception
  // ended the retrieval (the sign-in's or a station's) went (GuardExchange),
  // for the caller to tell.
  ExchangeResult Run(std::vector<ObservationRow>& rows);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(platform::CDataExchange& dx) override;
  void OnOK() override;      // Enter does not end the retrieval
  void OnCancel() override;  // 中止 and Escape
  void OnWake() override;

 private:
  // Runs `start` with what wakes this window from a worker thread; a
  // failure to start the workers ends the window with it.
  void StartWorkers(const std::function<void(std::function<void()> wake)>& start);
  // Once the sign-in has ended: starts the stations, or ends the window
  // with the sign-in's failure.
  void TakeSignIn();
  void ShowProgress(int arrived);
  // Ends the window with `how`, the retrieval stopped.
  void Finish(ExchangeResult how);

  const Query& query;
  int connections;
  std::function<bool()> signIn;
  StationExchange exchange;
  std::function<void()> cancelExchanges;
  const std::atomic<bool>& allowanceUsedUp;
  std::unique_ptr<BackgroundStep> signingIn;
  std::unique_ptr<ParallelRetrieval> retrieval;
  ExchangeResult result = ExchangeResult::Cancelled;
  bool ended = false;  // Finish has run: later wake-ups change nothing
  std::chrono::steady_clock::time_point lastShown;
  platform::CStatic progressText;
  platform::CProgressCtrl progressBar;
};
