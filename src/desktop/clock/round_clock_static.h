#pragma once

#include <QImage>
#include <QRegion>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "core/clock/analog_clock.h"
#include "core/common/date_time.h"
#include "desktop/common/second_timer.h"

namespace kalvory {

class CProfile;

// The skinned analog clock of the main view: a 164 x 164 child whose face is a picture with its
// magenta cut away, the hands, centre cap and second hand drawn over it, and the day of the
// month if the skin asks for it. Clicks pass through to the window beneath. It repaints once a
// second while it is visible and only when the second shown has changed.
class CRoundClockStatic final : public QWidget {
  Q_OBJECT
 public:
  explicit CRoundClockStatic(QWidget* parent = nullptr);

  // Reads the skin's "AnalogClock" section. Its face picture is looked for in `pictureFolders`
  // in order (a relative name is taken against each); when it cannot be loaded the previous face
  // and shape stay and false is returned, while the hands, colours and date follow the skin.
  bool applySkin(CProfile& skin, const QStringList& pictureFolders);
  // The same from a skin definition file, its face looked for beside the file and then in
  // `dataFolder`. A file that is missing or cannot be read changes nothing and gives false.
  bool applySkinFile(const QString& skinFile, const QString& dataFolder);

  // A new face from a picture file; false, with the face and shape unchanged, when it cannot be
  // loaded. The built-in face is kBuiltInClockFace.
  bool SetSkin(const QString& pictureFile);
  void setSettings(const AnalogClockSettings& settings);
  const AnalogClockSettings& settings() const { return settings_; }
  // Where the time comes from; the system's local time when empty.
  void setClock(Clock clock);

  // The dial as it is drawn at `time`: the face, the date, then the hands (Format_RGB32).
  QImage dialImage(const COleDateTime& time) const;
  // The pixels of the face that are kept; the widget paints nothing outside them.
  const QRegion& shape() const { return shape_; }
  // The one-second tick: repaints when the time shown has moved on by a second.
  void tick();
  bool ticking() const { return timer_.isActive(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // The time to the second, so the tick can tell whether the dial would change.
  struct ShownTime {
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const ShownTime&, const ShownTime&) = default;
  };
  static ShownTime shownTimeOf(const COleDateTime& time);
  COleDateTime now() const;
  void setFace(const QImage& picture);
  // The dial at `time` as the screen shows it: premultiplied, see-through outside the shape.
  QImage cutDial(const COleDateTime& time) const;
  // The next paint draws the whole dial afresh.
  void forgetPainted();

  QImage face_;  // 164 x 164, Format_RGB32, key colour where the picture does not reach
  QRegion shape_;
  QRegion cutAway_;  // the dial's square less the shape
  AnalogClockSettings settings_;
  Clock clock_;
  SecondTimer timer_;
  std::optional<ShownTime> shown_;
  QImage painted_;  // what the widget shows now (cutDial)
  QImage next_;     // what the tick asked to be painted, with its time
  ShownTime nextTime_;
};

}  // namespace kalvory
