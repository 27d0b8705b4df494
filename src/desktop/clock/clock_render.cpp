#include "desktop/clock/clock_render.h"

#include <QDir>
#include <QFileInfo>

#include "core/settings/data_folder.h"
#include "core/settings/profile.h"
#include "desktop/clock/round_clock_static.h"
#include "desktop/common/picture_shape.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

RenderResult renderAnalogClock(const RenderRequest& request) {
  CRoundClockStatic clock;
  const COleDateTime time = request.time;
  clock.setClock([time] { return time; });
  if (!request.skinFile.isEmpty()) {
    const QFileInfo info(request.skinFile);
    CProfile skin;
    skin.SetSaveOnClose(false);
    skin.SetStoreDefaults(false);
    skin.SetAddOnWrite(false);
    if (!info.isFile() || !skin.Load(toStdString(info.absoluteFilePath())))
      return {{}, QStringLiteral("cannot read the skin %1").arg(request.skinFile)};
    // The bundled skins name their faces from the working folder ("Skins/face.bmp"), which is
    // the folder above a skin's own; the program's data folder comes last.
    QDir above(info.absolutePath());
    above.cdUp();
    clock.applySkin(skin, {info.absolutePath(), above.absolutePath(), toQString(dataFolderPath())});
  }
  return {imageWithShape(clock.dialImage(time), clock.shape()), {}};
}

}  // namespace kalvory
