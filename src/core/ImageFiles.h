// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

// Image files the user attaches: what the picker offers and what a file holds.
namespace ImageFiles {

// "Images (*.bmp *.gif *.jpg ...)": every format the installed image plugins read.
QString pickerFilter();

struct Read
{
    QImage image; // null when the file cannot be read
    QString problem; // why not, in words for the user
};

Read read(const QString &path);

} // namespace ImageFiles
