// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// `tarnwick history`: lists the saved conversations, newest first.
// `tarnwick history show ID`: prints one conversation as Markdown.
int runHistoryCommand(int &argc, char **argv);
