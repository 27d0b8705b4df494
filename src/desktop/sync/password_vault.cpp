#include "desktop/sync/password_vault.h"

#include <qt6keychain/keychain.h>

namespace kalvory {
namespace {
const QString kService = QStringLiteral("Kalvory calendar sync");
}  // namespace

QString passwordAccount(const QString& user, const QString& calendar) { return user + QLatin1Char('@') + calendar; }

void KeychainVault::read(const QString& account, std::function<void(Answer, QString, QString)> done) {
  auto* job = new QKeychain::ReadPasswordJob(kService);
  job->setAutoDelete(true);
  job->setInsecureFallback(false);
  job->setKey(account);
  QObject::connect(job, &QKeychain::Job::finished, job, [job, done = std::move(done)] {
    switch (job->error()) {
      case QKeychain::NoError:
        return done(Answer::Found, job->textData(), {});
      case QKeychain::EntryNotFound:
        return done(Answer::NotFound, {}, {});
      default:
        return done(Answer::Unavailable, {}, job->errorString());
    }
  });
  job->start();
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
  QObject::connect(job, &QKeychain::Job::finished, job, [job, deleting, done = std::move(done)] {
    // Nothing to delete is as good as deleted.
    const bool kept = job->error() == QKeychain::NoError || (deleting && job->error() == QKeychain::EntryNotFound);
    done(kept, kept ? QString() : job->errorString());
  });
  job->start();
}

}  // namespace kalvory
