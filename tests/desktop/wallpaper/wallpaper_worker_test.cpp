// The wallpaper worker: jobs run off the GUI thread one at a time, a waiting job gives way to a
// newer one, and the desktop's answer comes back.
#include "desktop/wallpaper/wallpaper_worker.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <condition_variable>
#include <mutex>

namespace kalvory::test {
namespace {

// Holds the first picture until the test lets it go, and records every picture's middle colour.
class GatedDesktop final : public DesktopWallpaper {
 public:
  Result<void> SetWallpaper(const std::string& path, int) override {
    std::unique_lock lock(mutex_);
    const QImage image(QString::fromStdString(path));
    colours.push_back(image.pixelColor(image.width() / 2, image.height() / 2));
    entered_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
    if (refuse) return Failure{"no desktop here"};
    return {};
  }
  void waitUntilEntered() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return entered_; });
  }
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  std::vector<QColor> colours;
  bool refuse = false;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool open_ = false;
};

std::string picture(const QTemporaryDir& folder, const QString& name, QColor colour) {
  QImage image(32, 24, QImage::Format_RGB32);
  image.fill(colour);
  const QString path = folder.path() + "/" + name;
  image.save(path, "BMP");
  return path.toStdString();
}

WallpaperJob pictureJob(const std::string& path) {
  WallpaperJob job;
  job.steps.push_back(wallpaper_step::ReminderPicture{path});
  job.now = COleDateTime(2026, 5, 7, 9, 30, 0);
  return job;
}

TEST(WallpaperWorker, AWaitingPictureGivesWayToANewerOne) {
  QTemporaryDir folder;
  GatedDesktop desktop;
  CWallpaperContext settings;
  WallpaperWorker worker(64, 48, 96, folder.path().toStdString(), desktop, settings);
  QSignalSpy finished(&worker, &WallpaperWorker::jobFinished);

  worker.submit(pictureJob(picture(folder, "red.bmp", Qt::red)));
  desktop.waitUntilEntered();  // the first job is at the desktop and holds the worker
  worker.submit(pictureJob(picture(folder, "green.bmp", Qt::green)));
  worker.submit(pictureJob(picture(folder, "blue.bmp", Qt::blue)));
  desktop.open();
  worker.waitUntilIdle();

  // Green never reached the desktop: blue replaced it while it waited.
  ASSERT_EQ(desktop.colours.size(), 2u);
  EXPECT_EQ(desktop.colours[0], QColor(Qt::red));
  EXPECT_EQ(desktop.colours[1], QColor(Qt::blue));
  // One answer per job that ran; the merged one answers for both submissions.
  while (finished.size() < 2) ASSERT_TRUE(finished.wait(2000));
  EXPECT_EQ(finished[0][0].value<WallpaperJobResult>().submissions, 1);
  EXPECT_EQ(finished[1][0].value<WallpaperJobResult>().submissions, 2);
}

TEST(WallpaperWorker, TheDesktopsRefusalComesBack) {
  QTemporaryDir folder;
  GatedDesktop desktop;
  desktop.refuse = true;
  desktop.open();
  CWallpaperContext settings;
  WallpaperWorker worker(64, 48, 96, folder.path().toStdString(), desktop, settings);
  QSignalSpy finished(&worker, &WallpaperWorker::jobFinished);
  worker.submit(pictureJob(picture(folder, "red.bmp", Qt::red)));
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(finished[0][0].value<WallpaperJobResult>().desktopError, "no desktop here");
}

}  // namespace
}  // namespace kalvory::test
