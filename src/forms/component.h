// Components: objects that belong to an owner, are destroyed with it, and tell the components
// that refer to them when they go away.
#pragma once

#include <string>
#include <vector>

namespace tavilune {

enum class Operation { kInsert, kRemove };

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // After this, each of the two hears of the other's destruction through Notification.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // The state of a component that exists to edit a form rather than to run it.
  bool Designing() const { return designing_; }
  void SetDesigning(bool designing) { designing_ = designing; }
  bool Loading() const { return loading_; }
  bool Destroying() const { return destroying_; }

  // Reading from a stored form: ReadState at the start of reading the stored properties (may
  // come more than once), Loaded once when all of them have been read.
  virtual void ReadState();
  virtual void Loaded();

  // Told about a component that is inserted into or removed from this one's owner, or that this
  // one asked to hear of (FreeNotification) and that is being destroyed.
  virtual void Notification(TComponent* component, Operation operation);

 protected:
  // Runs the removal notices and destroys the owned components now, while the derived object
  // is still whole. Destructors of derived classes that must outlive their components call it.
  void DestroyComponents();

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void SendRemovalNotices();

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  std::string name_;
  bool designing_ = false;
  bool loading_ = false;
  bool destroying_ = false;
  bool noticesSent_ = false;
};

}  // namespace tavilune
