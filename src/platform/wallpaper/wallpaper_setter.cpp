#include "platform/wallpaper/wallpaper_setter.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/common/text.h"

namespace kalvory {

namespace {

constexpr int kCommandTimeoutMs = 10000;
constexpr int kPlasmaTimeoutMs = 10000;

std::string FileUrl(const std::string& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

// A GVariant text literal, as gsettings reads its values.
std::string GVariantString(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  out += '\'';
  return out;
}

// A JavaScript string literal.
std::string ScriptString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static const char* const kHex = "0123456789abcdef";
          out += "\\u00";
          out += kHex[(c >> 4) & 0xF];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string CommandFailure(const std::string& program, const CommandResult& result) {
  if (!result.started) return program + " could not be started";
  std::string message = program + " failed (exit code " + std::to_string(result.exitCode) + ")";
  std::string detail = result.error;
  while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r')) detail.pop_back();
  if (!detail.empty()) message += ": " + detail;
  return message;
}

Result<void> CheckPicture(const std::string& path) {
  if (path.empty() || !QFileInfo(QString::fromStdString(path)).isFile()) {
    return Failure{"The picture file does not exist: " + path};
  }
  return {};
}

}  // namespace

DesktopKind DetectDesktop(std::string_view xdgCurrentDesktop) {
  std::size_t start = 0;
  while (start <= xdgCurrentDesktop.size()) {
    const std::size_t colon = xdgCurrentDesktop.find(':', start);
    const std::string name = asciiUpper(
        xdgCurrentDesktop.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
    // Unity and Budgie show the GNOME background settings.
    if (name == "GNOME" || name == "UNITY" || name == "BUDGIE") return DesktopKind::Gnome;
    if (name == "KDE") return DesktopKind::Plasma;
    if (name == "XFCE") return DesktopKind::Xfce;
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  return DesktopKind::RootWindow;
}

WallpaperBackend ChooseWallpaperBackend(DesktopKind desktop, bool waylandSession, unsigned wallpaperPortalVersion) {
  switch (desktop) {
    case DesktopKind::Gnome:
      return WallpaperBackend::Gnome;
    case DesktopKind::Plasma:
      return WallpaperBackend::Plasma;
    case DesktopKind::Xfce:
      return WallpaperBackend::Xfce;
    case DesktopKind::RootWindow:
      break;
  }
  if (!waylandSession) return WallpaperBackend::RootWindow;
  return wallpaperPortalVersion != 0 ? WallpaperBackend::Portal : WallpaperBackend::Unavailable;
}

std::string_view WallpaperBackendName(WallpaperBackend backend) {
  switch (backend) {
    case WallpaperBackend::Gnome:
      return "GNOME";
    case WallpaperBackend::Plasma:
      return "KDE Plasma";
    case WallpaperBackend::Xfce:
      return "XFCE";
    case WallpaperBackend::Portal:
      return "the Wallpaper portal";
    case WallpaperBackend::RootWindow:
      return "X root window";
    case WallpaperBackend::Unavailable:
      break;
  }
  return "none";
}

Result<void> UnavailableWallpaperSetter::SetWallpaper(const std::string& /*path*/, int /*style*/) {
  return Failure{
      "this Wayland desktop offers programs no way to set its picture (it is not GNOME, KDE Plasma or XFCE "
      "and has no org.freedesktop.portal.Wallpaper); set the composed picture in the desktop's own settings"};
}

std::string_view DesktopKindName(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::Gnome:
      return "GNOME";
    case DesktopKind::Plasma:
      return "KDE Plasma";
    case DesktopKind::Xfce:
      return "XFCE";
    case DesktopKind::RootWindow:
      break;
  }
  return "X root window";
}

CommandResult ProcessCommandRunner::Run(const std::string& program, const std::vector<std::string>& arguments) {
  QStringList args;
  for (const std::string& argument : arguments) args << QString::fromStdString(argument);
  QProcess process;
  process.setProgram(QString::fromStdString(program));
  process.setArguments(args);
  process.setStandardInputFile(QProcess::nullDevice());
  process.start();
  CommandResult result;
  if (!process.waitForStarted(kCommandTimeoutMs)) return result;
  result.started = true;
  if (!process.waitForFinished(kCommandTimeoutMs)) {
    process.kill();
    process.waitForFinished(1000);
    result.error = "timed out";
    return result;
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.output = process.readAllStandardOutput().toStdString();
  result.error = process.readAllStandardError().toStdString();
  return result;
}

Result<std::string> PublishWallpaperCopy(const std::string& picture, const std::string& publishFolder) {
  namespace fs = std::filesystem;
  if (Result<void> checked = CheckPicture(picture); !checked.ok()) return Failure{checked.error()};
  if (publishFolder.empty()) return picture;
  const std::string suffix = asciiLower(fs::path(picture).extension().string());
  const fs::path folder(publishFolder);
  const fs::path first = folder / ("KalvoryDesktop-1" + suffix);
  const fs::path second = folder / ("KalvoryDesktop-2" + suffix);
  // The name not shown now: the missing one, else the one written longer ago.
  std::error_code code;
  const bool firstExists = fs::exists(first, code);
  const bool secondExists = fs::exists(second, code);
  fs::path target = first;
  if (firstExists && (!secondExists || fs::last_write_time(second, code) < fs::last_write_time(first, code))) {
    target = second;
  }
  fs::path temporary = target;
  temporary += ".part";
  code.clear();
  fs::copy_file(picture, temporary, fs::copy_options::overwrite_existing, code);
  if (code) return Failure{"Cannot copy the picture to " + temporary.string() + ": " + code.message()};
  // The copy's own time decides which name goes next, whatever time the picture carries.
  fs::last_write_time(temporary, fs::file_time_type::clock::now(), code);
  fs::rename(temporary, target, code);
  if (code) {
    fs::remove(temporary, code);
    return Failure{"Cannot write " + target.string()};
  }
  return target.string();
}

std::string_view GnomePictureOption(int style) {
  if (style == kWallpaperCentre) return "centered";
  if (style == kWallpaperTile) return "wallpaper";
  return "stretched";
}

int PlasmaFillMode(int style) {
  // The image wallpaper's fill modes: 0 stretch, 3 tile, 6 pad (centred).
  if (style == kWallpaperCentre) return 6;
  if (style == kWallpaperTile) return 3;
  return 0;
}

int XfceImageStyle(int style) {
  if (style == kWallpaperCentre) return 1;
  if (style == kWallpaperTile) return 2;
  return 3;
}

std::string PlasmaWallpaperScript(std::string_view fileUrl, int fillMode) {
  std::string script;
  script += "var all = desktops();\n";
  script += "for (var i = 0; i < all.length; i++) {\n";
  script += "  var d = all[i];\n";
  script += "  d.wallpaperPlugin = \"org.kde.image\";\n";
  script += "  d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\");\n";
  script += "  d.writeConfig(\"Image\", " + ScriptString(fileUrl) + ");\n";
  script += "  d.writeConfig(\"FillMode\", " + std::to_string(fillMode) + ");\n";
  script += "}\n";
  return script;
}

GnomeWallpaperSetter::GnomeWallpaperSetter(CommandRunner& runner, std::string publishFolder)
    : runner_(runner), publishFolder_(std::move(publishFolder)) {}

Result<void> GnomeWallpaperSetter::SetWallpaper(const std::string& path, int style) {
  const Result<std::string> copy = PublishWallpaperCopy(path, publishFolder_);
  if (!copy.ok()) return Failure{copy.error()};
  const std::string& published = copy.value();
  const std::string schema = "org.gnome.desktop.background";
  const std::string uri = GVariantString(FileUrl(published));
  CommandResult result =
      runner_.Run("gsettings", {"set", schema, "picture-options", GVariantString(GnomePictureOption(style))});
  if (result.ok()) result = runner_.Run("gsettings", {"set", schema, "picture-uri", uri});
  if (!result.ok()) {
    return Failure{CommandFailure("gsettings", result)};
  }
  // GNOME before version 42 has no dark variant; that is no failure.
  runner_.Run("gsettings", {"set", schema, "picture-uri-dark", uri});
  return {};
}

XfceWallpaperSetter::XfceWallpaperSetter(CommandRunner& runner, std::string publishFolder)
    : runner_(runner), publishFolder_(std::move(publishFolder)) {}

Result<void> XfceWallpaperSetter::SetWallpaper(const std::string& path, int style) {
  const Result<std::string> copy = PublishWallpaperCopy(path, publishFolder_);
  if (!copy.ok()) return Failure{copy.error()};
  const std::string& published = copy.value();
  const std::string channel = "xfce4-desktop";
  const std::string suffix = "/last-image";
  const CommandResult listed = runner_.Run("xfconf-query", {"-c", channel, "-l"});
  if (!listed.ok()) {
    return Failure{CommandFailure("xfconf-query", listed)};
  }
  // Every monitor and workspace that has a picture gets this one.
  std::vector<std::string> properties;
  std::size_t start = 0;
  while (start < listed.output.size()) {
    std::size_t end = listed.output.find('\n', start);
    if (end == std::string::npos) end = listed.output.size();
    std::string line = listed.output.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.size() > suffix.size() && line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0) {
      properties.push_back(line);
    }
    start = end + 1;
  }
  // A desktop that never had a picture yet: its first monitor and workspace.
  if (properties.empty()) properties.push_back("/backdrop/screen0/monitor0/workspace0/last-image");
  for (const std::string& property : properties) {
    const std::string styleProperty = property.substr(0, property.size() - suffix.size()) + "/image-style";
    CommandResult result = runner_.Run("xfconf-query", {"-c", channel, "-p", styleProperty, "-n", "-t", "int", "-s",
                                                        std::to_string(XfceImageStyle(style))});
    if (result.ok()) {
      result = runner_.Run("xfconf-query", {"-c", channel, "-p", property, "-n", "-t", "string", "-s", published});
    }
    if (!result.ok()) {
      return Failure{CommandFailure("xfconf-query", result)};
    }
  }
  return {};
}

PlasmaWallpaperSetter::PlasmaWallpaperSetter(std::string publishFolder) : publishFolder_(std::move(publishFolder)) {}

Result<void> PlasmaWallpaperSetter::SetWallpaper(const std::string& path, int style) {
  const Result<std::string> copy = PublishWallpaperCopy(path, publishFolder_);
  if (!copy.ok()) return Failure{copy.error()};
  const std::string& published = copy.value();
  QDBusMessage call =
      QDBusMessage::createMethodCall(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                                     QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
  call << QString::fromStdString(PlasmaWallpaperScript(FileUrl(published), PlasmaFillMode(style)));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return Failure{"No D-Bus session bus: " + bus.lastError().message().toStdString()};
  }
  const QDBusMessage reply = bus.call(call, QDBus::Block, kPlasmaTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    return Failure{"plasmashell refused the wallpaper: " + reply.errorMessage().toStdString()};
  }
  return {};
}

std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper(DesktopKind kind, const std::string& publishFolder,
                                                         CommandRunner& runner) {
  switch (kind) {
    case DesktopKind::Gnome:
      return std::make_unique<GnomeWallpaperSetter>(runner, publishFolder);
    case DesktopKind::Plasma:
      return std::make_unique<PlasmaWallpaperSetter>(publishFolder);
    case DesktopKind::Xfce:
      return std::make_unique<XfceWallpaperSetter>(runner, publishFolder);
    case DesktopKind::RootWindow:
      break;
  }
  return std::make_unique<RootWindowWallpaperSetter>();
}

std::unique_ptr<DesktopWallpaper> CreateDesktopWallpaper(WallpaperBackend backend, const std::string& publishFolder,
                                                         CommandRunner& runner, const std::string& busConnectionName) {
  switch (backend) {
    case WallpaperBackend::Gnome:
      return CreateDesktopWallpaper(DesktopKind::Gnome, publishFolder, runner);
    case WallpaperBackend::Plasma:
      return CreateDesktopWallpaper(DesktopKind::Plasma, publishFolder, runner);
    case WallpaperBackend::Xfce:
      return CreateDesktopWallpaper(DesktopKind::Xfce, publishFolder, runner);
    case WallpaperBackend::Portal:
      return std::make_unique<PortalWallpaperSetter>(publishFolder, busConnectionName);
    case WallpaperBackend::RootWindow:
      return std::make_unique<RootWindowWallpaperSetter>();
    case WallpaperBackend::Unavailable:
      break;
  }
  return std::make_unique<UnavailableWallpaperSetter>();
}

}  // namespace kalvory
