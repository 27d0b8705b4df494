#pragma once

#include <QDBusObjectPath>
#include <QList>
#include <QVariantMap>

#include "platform/media/bus_player_backend.h"

namespace kalvory {

// Any MPRIS2 player, found by its bus name "org.mpris.MediaPlayer2.<identity>" (or that name
// followed by ".<instance>"). With the TrackList interface (HasTrackList) the playlist is the
// player's track list: positions are indexes into Tracks, a file is added after the last track
// and a position is reached with GoTo. Without it, the player knows one track at a time: the
// backend keeps a list of its own of the addresses it saw playing and the files it added, and
// reaching a position opens that address again (OpenUri); see docs/decisions.md for what that
// cannot put back.
class MprisBackend final : public BusPlayerBackend {
 public:
  MprisBackend(PlayerBus& bus, QString identity) : bus_(bus), identity_(std::move(identity)) {}

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

  const QString& service() const { return service_; }

 private:
  QVariant player(const QString& method, const QVariantList& arguments = {});
  QVariant playerProperty(const QString& name);
  QVariantMap metadata();
  bool hasTrackList();
  QList<QDBusObjectPath> tracks();

  PlayerBus& bus_;
  QString identity_;
  QString service_;            // the bound name; empty until found
  bool hasTrackList_ = false;  // as the bound player said when it was found
  // Without a track list: the addresses at the positions handed out, the one playing first.
  QStringList knownAddresses_;
};

}  // namespace kalvory
