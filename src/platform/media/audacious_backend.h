#pragma once

#include "platform/media/bus_player_backend.h"

namespace kalvory {

// Audacious: transport and play state through its MPRIS2 interface, and the playlist, output
// time, track length and tags through its own interface org.atheme.audacious, which answers
// each request one to one (playlist position, output time in milliseconds, add, length, jump,
// absolute seek). When its MPRIS2 plug-in is off, the own interface's Play, Stop, Status and
// Quit stand in.
class AudaciousBackend final : public BusPlayerBackend {
 public:
  static constexpr const char* kService = "org.atheme.audacious";
  static constexpr const char* kMprisService = "org.mpris.MediaPlayer2.audacious";

  explicit AudaciousBackend(PlayerBus& bus) : bus_(bus) {}

  QStringList watchedNames() const override;
  bool find() override;
  int playlistPosition() override;
  int playState() override;
  int outputTime() override;
  int trackLength() override;
  void addFile(const std::string& path) override;
  int playlistLength() override;
  void setPlaylistPosition(int position) override;
  void stop() override;
  void play() override;
  void seek(int milliseconds) override;
  void close() override;
  void removeEntry(int position, const std::string& path) override;
  QString songArtist() override;
  QString songTitle() override;

 private:
  QVariant own(const QString& method, const QVariantList& arguments = {});
  QVariant mpris(const QString& interface, const QString& method);
  bool mprisPresent();
  QString songTag(const QString& field);
  void settle();

  PlayerBus& bus_;
};

}  // namespace kalvory
