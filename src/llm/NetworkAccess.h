#pragma once

class QNetworkAccessManager;

// The calling thread's one network access manager, made on first use and
// deleted with the thread (with the application for the main thread).
QNetworkAccessManager *networkAccessForThisThread();
