#include "forms/component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavilune {
namespace {

// Records what it hears and when it dies, in one shared journal.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name, std::vector<std::string>& journal)
      : TComponent(owner), journal_(journal) {
    SetName(std::move(name));
  }
  ~Probe() override { journal_.push_back("destroy " + Name()); }
  void Notification(TComponent* component, Operation operation) override {
    if (operation == Operation::kRemove)
      journal_.push_back(Name() + " hears " + component->Name() + " go");
  }

 private:
  std::vector<std::string>& journal_;
};

TEST(ComponentTest, OwnerDestroysItsComponentsLastCreatedFirst) {
  std::vector<std::string> journal;
  auto* owner = new Probe(nullptr, "owner", journal);
  new Probe(owner, "a", journal);
  new Probe(owner, "b", journal);
  delete owner;
  std::erase_if(journal, [](const std::string& line) { return !line.starts_with("destroy"); });
  EXPECT_EQ(journal, (std::vector<std::string>{"destroy owner", "destroy b", "destroy a"}));
}

TEST(ComponentTest, ReferrerHearsOfDestructionOnceAndNotAfterUnregistering) {
  std::vector<std::string> journal;
  Probe owner(nullptr, "owner", journal);
  auto* menu = new Probe(nullptr, "menu", journal);
  Probe icon(nullptr, "icon", journal);
  icon.FreeNotification(menu);
  icon.FreeNotification(menu);  // registering twice still gives one notice
  delete menu;
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "icon hears menu go"), 1);

  auto* other = new Probe(nullptr, "other", journal);
  icon.FreeNotification(other);
  icon.RemoveFreeNotification(other);
  delete other;
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "icon hears other go"), 0);
}

TEST(ComponentTest, DestroyingAReferrerFirstLeavesNoDanglingNotice) {
  std::vector<std::string> journal;
  auto* menu = new Probe(nullptr, "menu", journal);
  auto* icon = new Probe(nullptr, "icon", journal);
  icon->FreeNotification(menu);
  delete icon;
  delete menu;  // must not notify the destroyed icon
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "icon hears menu go"), 0);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "menu hears icon go"), 1);
}

TEST(ComponentTest, ReadingStateMarksLoadingUntilLoaded) {
  std::vector<std::string> journal;
  Probe probe(nullptr, "p", journal);
  probe.ReadState();
  EXPECT_TRUE(probe.Loading());
  probe.Loaded();
  EXPECT_FALSE(probe.Loading());
}

}  // namespace
}  // namespace tavilune
