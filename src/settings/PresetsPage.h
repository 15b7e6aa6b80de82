// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/FormSection.h"

class PresetStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// Settings' presets: the list, and the chosen one's name, instructions,
// template, provider and model. "Save Preset" and "Delete" write the presets
// file at once; the window's own Save is not needed for them.
class PresetsPage : public FormSection
{
    Q_OBJECT

public:
    explicit PresetsPage(PresetStore &store, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    // Fills the editor with an empty preset that Save Preset adds.
    void addPreset();
    // Stores the editor's preset in place of the one chosen (or as a new one).
    void savePreset();
    void deletePreset();
    // What went wrong last, or the store's notice; empty when nothing.
    QString problemText() const;

private:
    void showPresets();
    void showChosen();
    void setProblem(const QString &problem);

    PresetStore &m_store;
    QString m_editing; // the name of the preset in the editor; empty for a new one
    QListWidget *m_list;
    QLineEdit *m_name;
    QPlainTextEdit *m_instructions;
    QPlainTextEdit *m_template;
    QComboBox *m_provider;
    QLineEdit *m_model;
    QPushButton *m_save;
    QPushButton *m_delete;
    QLabel *m_problem;
};
