// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/ProviderRequest.h"

#include <QByteArray>

class QNetworkProxy;
class QUrl;

// The request line and headers of an HTTP/1.1 request to url: the request's
// own headers in their order, then what the protocol needs and the request
// did not set. Through a forwarding proxy (plain http) the target is the
// whole address and the proxy's credentials go along.
QByteArray httpRequestHead(const ProviderRequest &request, const QUrl &url, const QNetworkProxy &forwardingProxy);
