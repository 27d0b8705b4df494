#include "desktop/sync/password_vault.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QTimer>
#include <memory>

namespace kalvory {
namespace {

const QString kService = QStringLiteral("Kalvory calendar sync");

QString silentStore() { return QStringLiteral("the secret store does not answer"); }

// Gives `job`'s answer, or after `timeout` milliseconds the answer `late`, whichever comes first.
void startWithin(QKeychain::Job* job, int timeout, std::function<void(QKeychain::Job*)> answered,
                 std::function<void()> late) {
  auto done = std::make_shared<bool>(false);
  // The job stays alive until the store answers, however late: the timer is not its child.
  QTimer::singleShot(timeout, QCoreApplication::instance(), [done, late] {
    if (*done) return;
    *done = true;
    late();
  });
  QObject::connect(job, &QKeychain::Job::finished, job, [job, done, answered = std::move(answered)] {
    if (*done) return;
    *done = true;
    answered(job);
  });
  job->start();
}

}  // namespace

QString passwordAccount(const QString& user, const QString& calendar) { return user + QLatin1Char('@') + calendar; }

void KeychainVault::read(const QString& account, std::function<void(Answer, QString, QString)> done) {
  auto* job = new QKeychain::ReadPasswordJob(kService);
  job->setAutoDelete(true);
  job->setInsecureFallback(false);
  job->setKey(account);
  startWithin(
      job, timeout_,
      [done](QKeychain::Job* finished) {
        switch (finished->error()) {
          case QKeychain::NoError:
            return done(Answer::Found, static_cast<QKeychain::ReadPasswordJob*>(finished)->textData(), {});
          case QKeychain::EntryNotFound:
            return done(Answer::NotFound, {}, {});
          default:
            return done(Answer::Unavailable, {}, finished->errorString());
        }
      },
      [done] { done(Answer::Unavailable, {}, silentStore()); });
}

void KeychainVault::write(const QString& account, const QString& password, std::function<void(bool, QString)> done) {
  QKeychain::Job* job = nullptr;
  if (password.isEmpty()) {
    job = new QKeychain::DeletePasswordJob(kService);
  } else {
    auto* writer = new QKeychain::WritePasswordJob(kService);
    writer->setTextData(password);
    job = writer;
  }
  job->setAutoDelete(true);
  job->setInsecureFallback(false);
  job->setKey(account);
  const bool deleting = password.isEmpty();
  startWithin(
      job, timeout_,
      [deleting, done](QKeychain::Job* finished) {
        // Nothing to delete is as good as deleted.
        const bool kept =
            finished->error() == QKeychain::NoError || (deleting && finished->error() == QKeychain::EntryNotFound);
        done(kept, kept ? QString() : finished->errorString());
      },
      [done] { done(false, silentStore()); });
}

}  // namespace kalvory
