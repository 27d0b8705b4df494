#pragma once

#include <string>

namespace kalvory {

// The application settings the alarm check and its actions read. The settings code fills it
// from the "SoundSettings" and "MainSettings" sections; the defaults are those of a fresh install.
struct AlarmSettings {
  bool IsMusic = true;                   // sound files of reminders are played through the media player
  std::string WinampPath = "audacious";  // the media player program started when none is running
  bool StopMusicOnCancelAlarm = true;    // put the player back the way it was after the alarm
  bool IsSayTime = true;                 // announce the time
  int SayTimeRange = 60;                 // announce every this many minutes; 0 or less: never
  int ShowTime = 60;                     // the longest showing of a reminder, in alarm-check ticks
};

}  // namespace kalvory
