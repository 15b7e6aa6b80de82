// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"

#include <QString>

// Opens an attached file with the desktop's default application. The bytes
// go to a private folder of this run first (readable by the user only),
// under the file's own name so that the desktop picks the right program.
namespace AttachmentOpener {

// Empty on success, otherwise why the file could not be opened.
QString open(const FileAttachment &file);

} // namespace AttachmentOpener
