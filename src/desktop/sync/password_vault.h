#pragma once

#include <QString>
#include <functional>

namespace kalvory {

// Where the sync's password is kept: the desktop's secret store (the Secret Service, through
// QtKeychain), never the settings file. Every call answers later, from the event loop.
class PasswordVault {
 public:
  enum class Answer {
    Found,        // the password is given
    NotFound,     // the store answers and holds none for this account
    Unavailable,  // no secret store answers here (the text says why)
  };
  virtual ~PasswordVault() = default;
  virtual void read(const QString& account, std::function<void(Answer, QString password, QString why)> done) = 0;
  // An empty password removes the entry. `done` gets false with the reason when nothing was kept.
  virtual void write(const QString& account, const QString& password, std::function<void(bool, QString why)> done) = 0;
};

// The Secret Service through QtKeychain. The insecure fallback of QtKeychain (a plain file) is
// never used: without a secret store the password stays in the program's memory only.
class KeychainVault final : public PasswordVault {
 public:
  // A desktop where no secret service runs may leave a call unanswered for half a minute and
  // more; after `timeout` milliseconds the store counts as unavailable.
  explicit KeychainVault(int timeout = 5000) : timeout_(timeout) {}
  void read(const QString& account, std::function<void(Answer, QString, QString)> done) override;
  void write(const QString& account, const QString& password, std::function<void(bool, QString)> done) override;

 private:
  int timeout_;
};

// The name a password is kept under: the user and the calendar it opens.
QString passwordAccount(const QString& user, const QString& calendar);

}  // namespace kalvory
