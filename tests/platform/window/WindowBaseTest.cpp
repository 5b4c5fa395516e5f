// The message chain of a window: subclassing handlers see a message before
// the window's own procedure, the most recent first, and a handled message
// goes no further.
#include "platform/window/WindowBase.h"

#include <gtest/gtest.h>

#include <string>

namespace kelto::window {
namespace {

class TestWindow : public CWindowBase {
 public:
  CClientSize ClientSize() const override { return {}; }
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HasCapture() const override { return false; }
  CWindowPoint ScreenToClient(CWindowPoint p) const override { return p; }
  void RedrawWindow(unsigned) override {}
  void DragAcceptFiles(bool) override {}
};

class Handler : public CMessageMap {
 public:
  Handler(std::string name, std::string& log, MessageKind stops_at = MessageKind::DropFiles)
      : name_(std::move(name)), log_(log), stops_at_(stops_at) {}
  bool ProcessWindowMessage(const CWindowMessage& m) override {
    log_ += name_;
    if (on_message) on_message();
    return m.Kind == stops_at_;
  }
  std::function<void()> on_message;

 private:
  std::string name_;
  std::string& log_;
  MessageKind stops_at_;
};

TEST(WindowBaseTest, SubclassesSeeMessagesBeforeTheProcedureMostRecentFirst) {
  std::string log;
  TestWindow w;
  Handler proc("P", log), first("1", log), second("2", log, MessageKind::Paint);
  w.SetWindowProcedure(&proc);
  w.Subclass(first);
  w.Subclass(second);
  EXPECT_FALSE(w.Dispatch(CWindowMessage::Move(1, 2, 0)));
  EXPECT_EQ(log, "21P");
  log.clear();
  EXPECT_TRUE(w.Dispatch(CWindowMessage::Of(MessageKind::Paint)));  // stopped by "2"
  EXPECT_EQ(log, "2");
  log.clear();
  w.Unsubclass(second);
  w.Unsubclass(second);  // not in the chain any more: nothing happens
  w.Dispatch(CWindowMessage::Of(MessageKind::Paint));
  EXPECT_EQ(log, "1P");
}

TEST(WindowBaseTest, AHandlerMayLeaveTheChainWhileItIsCalled) {
  std::string log;
  TestWindow w;
  Handler proc("P", log), first("1", log), second("2", log);
  w.SetWindowProcedure(&proc);
  w.Subclass(first);
  w.Subclass(second);
  second.on_message = [&] { w.Unsubclass(second); };
  first.on_message = [&] { w.Unsubclass(first); };
  w.Dispatch(CWindowMessage::Move(0, 0, 0));
  w.Dispatch(CWindowMessage::Move(0, 0, 0));
  EXPECT_EQ(log, "21PP");
}

}  // namespace
}  // namespace kelto::window
