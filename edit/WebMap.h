// Opening the web map of a position in the desktop's browser. Every caller (edit
// dialog, map view, recorder) goes through OpenWebMap, and OpenWebMap through one
// replaceable opener, so tests capture the address instead of starting a browser.
#pragma once

#include "edit/WebMapUrl.h"

#include <functional>
#include <string>

class QWidget;

// Hands the address to the desktop; true when it was accepted.
using WebMapOpener = std::function<bool(const std::string& url)>;

// Installs the opener (tests); an empty function restores QDesktopServices::openUrl.
void SetWebMapOpener(WebMapOpener opener);

// Opens the map of the position. 0, or -1 after telling the user (owner is the
// message's parent) that no browser could be started.
int OpenWebMap(QWidget* owner, double latitude, double longitude);
