#include "viewer/form/retrieval_progress_dialog.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "platform/internet.h"
#include "platform/message_box.h"
#include "resources/viewer/resource.h"
#include "viewer/form/query_form_dialog.h"
#include "viewer/retrieval/background_step.h"
#include "viewer/retrieval/parallel_retrieval.h"

namespace {

constexpr char PROGRESS_FORMAT[] = "データを取得しています（%d／%d 地点）";
// A retrieval done sooner shows no window: a window that flashes up tells
// nothing, and under Wine without a window manager hiding one costs two
// seconds.
constexpr unsigned SHOW_DELAY_MS = 500;
// The text and the bar change at most this often: drawing them for every
// one of hundreds of stations would cost more than the stations.
constexpr std::chrono::milliseconds PROGRESS_INTERVAL{100};
constexpr size_t PROGRESS_TEXT_SIZE = 128;

}  // namespace

RetrievalProgressDialog::RetrievalProgressDialog(platform::CWnd& form, const Query& query,
                                                 int connections, std::function<bool()> signIn,
                                                 StationExchange exchange,
                                                 std::function<void()> cancelExchanges,
                                                 const std::atomic<bool>& allowanceUsedUp)
    : CDialog(IDD_RETRIEVAL_PROGRESS, &form),
      query(query),
      connections(connections),
      signIn(std::move(signIn)),
      exchange(std::move(exchange)),
      cancelExchanges(std::move(cancelExchanges)),
      allowanceUsedUp(allowanceUsedUp) {}

RetrievalProgressDialog::~RetrievalProgressDialog() = default;

ExchangeResult RetrievalProgressDialog::Run(std::vector<ObservationRow>& rows) {
  result = ExchangeResult::Cancelled;
  ended = false;
  if (DoModal() == -1) return ExchangeResult::Raised;
  if (result == ExchangeResult::Done) rows = std::move(retrieval->Rows());
  signingIn.reset();
  retrieval.reset();
  return result;
}

void RetrievalProgressDialog::DoDataExchange(platform::CDataExchange& dx) {
  platform::DDX_Control(dx, IDC_PROGRESS_TEXT, progressText);
  platform::DDX_Control(dx, IDC_PROGRESS_BAR, progressBar);
}

bool RetrievalProgressDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowAfter(SHOW_DELAY_MS);
  progressBar.SetRange(0, query.stations.Count());
  ShowProgress(0);
  // The system may allow fewer connections to one server than the
  // exchanges run side by side.
  platform::CInternetSession::SetConnectionsPerServer(static_cast<unsigned long>(connections));
  StartWorkers([&](std::function<void()> wake) {
    signingIn = std::make_unique<BackgroundStep>(signIn, std::move(wake));
  });
  return true;
}

void RetrievalProgressDialog::StartWorkers(const std::function<void(std::function<void()> wake)>& start) {
  platform::WindowHandle window = GetSafeHwnd();
  ExchangeResult started = GuardExchange([&] {
    start([window] { PostWake(window); });
    return true;
  });
  if (started != ExchangeResult::Done) Finish(started);
}

void RetrievalProgressDialog::TakeSignIn() {
  ExchangeResult signedIn = GuardExchange([&] { return signingIn->Outcome(); });
  if (signedIn != ExchangeResult::Done) {
    Finish(signedIn);
    return;
  }
  StartWorkers([&](std::function<void()> wake) {
    retrieval = std::make_unique<ParallelRetrieval>(query, connections, exchange, std::move(wake));
  });
}

void RetrievalProgressDialog::OnWake() {
  if (ended || signingIn == nullptr || !signingIn->Ended()) return;
  if (retrieval == nullptr) {
    TakeSignIn();
    return;
  }
  // A station's exchange that raised ends the retrieval when its turn
  // comes, as it would have one station after the other.
  ExchangeResult taken = GuardExchange([&] {
    retrieval->TakeArrived([this](const char*) {
      if (!allowanceUsedUp) platform::ShowMessage(nullptr, COMMUNICATION_ERROR_MESSAGE, VIEWER_CAPTION);
    });
    return true;
  });
  if (taken != ExchangeResult::Done) {
    Finish(taken);
    return;
  }
  if (allowanceUsedUp) {
    Finish(ExchangeResult::Cancelled);
    return;
  }
  // The user may have cancelled while a station's box was open.
  if (ended) return;
  if (retrieval->Finished()) {
    Finish(ExchangeResult::Done);
    return;
  }
  auto now = std::chrono::steady_clock::now();
  if (now - lastShown < PROGRESS_INTERVAL) return;
  lastShown = now;
  ShowProgress(retrieval->Arrived());
}

void RetrievalProgressDialog::OnOK() {}

void RetrievalProgressDialog::OnCancel() { Finish(ExchangeResult::Cancelled); }

void RetrievalProgressDialog::ShowProgress(int arrived) {
  char text[PROGRESS_TEXT_SIZE];
  std::snprintf(text, sizeof text, PROGRESS_FORMAT, arrived, query.stations.Count());
  progressText.SetWindowText(text);
  progressBar.SetPos(arrived);
}

void RetrievalProgressDialog::Finish(ExchangeResult how) {
  if (ended) return;
  ended = true;
  result = how;
  if (how != ExchangeResult::Done) {
    if (signingIn != nullptr) signingIn->Cancel();
    if (retrieval != nullptr) retrieval->Cancel();
    cancelExchanges();
  }
  EndDialog(static_cast<int>(how));
}
