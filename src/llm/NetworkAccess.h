// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QNetworkAccessManager;

enum class NetworkRoute {
    System, // the proxy settings of the desktop, as Qt finds them
    Direct, // never through a proxy
};

// The calling thread's network access manager for the route, made on first
// use and deleted with the thread (when the application quits for the main thread).
QNetworkAccessManager *networkAccessForThisThread(NetworkRoute route = NetworkRoute::System);
