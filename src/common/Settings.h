#pragma once

#include <QString>

// The program's settings file, $XDG_CONFIG_HOME/flashbar/flashbar.conf (Qt's
// INI format). It holds the site's base address, [site] address=..., and
// whether that address is this machine's own demo site, [site] local=true;
// the companion programs read it through these functions too. [player]
// holds the movies' sound: volume=0..100 and muted=true|false.
namespace common {

inline const QString kDefaultSiteAddress = QStringLiteral("http://127.0.0.1:8731/");

// The settings file's path.
QString settingsFilePath();

// Why `address` cannot be the site's base address (not http or https, no
// host, unparsable); empty when it can.
QString siteAddressProblem(const QString &address);

// The address with a trailing '/'.
QString withTrailingSlash(QString address);

struct SiteSetting
{
    QString address; // always usable, with a trailing '/'
    QString error;   // set when the file's address was bad and the default is used instead
    // Our own demo site belongs at the address: it is the default one, or the
    // settings file names it and marks it local. Any other address is the
    // user's (a tunnel, a proxy, a site in development) and used as it is.
    bool ownSite = false;
};

// Whether `address` is the default site address, however written
// (localhost or 127.0.0.1, with or without the trailing '/').
bool isDefaultSiteAddress(const QString &address);

// The site's base address: `override` when it is not empty (--site or
// FLASHBAR_SITE, checked by the caller), else the settings file's, else the
// default. Reads only.
SiteSetting readSiteAddress(const QString &override);

// Writes the default address into the settings file when it holds none yet,
// so that the user finds the setting there. False when the file cannot be
// written.
bool keepDefaultSiteAddress();

struct PlayerSound
{
    int volume = 100; // percent
    bool muted = false;
    bool operator==(const PlayerSound &) const = default;
};

// The movies' sound from the settings file. A volume that is not a whole
// number from 0 to 100, or a mute that is neither true nor false, is
// ignored and its default kept; the file is only read.
PlayerSound readPlayerSound();

// Writes the sound into the settings file; false when it cannot be written.
bool keepPlayerSound(const PlayerSound &sound);

} // namespace common
