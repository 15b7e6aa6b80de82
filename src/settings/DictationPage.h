// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/FormSection.h"

#include <QList>

class QComboBox;
class QLineEdit;
class SettingsModel;

// The dictation engine, the spoken language, and the transcription server's
// address, model and key; the server's rows show only where it may be used.
class DictationPage : public FormSection
{
    Q_OBJECT

public:
    DictationPage(SettingsModel &model, QWidget *parent = nullptr);

Q_SIGNALS:
    // The engine could not be stored; why, in a sentence.
    void storeFailed(const QString &message);

private:
    QLineEdit *addField(const QString &name, const QString &label, const QString &placeholder, bool serverRow = false);
    void showEngine();

    SettingsModel &m_model;
    QComboBox *m_enginePicker = nullptr;
    QLineEdit *m_keyField = nullptr;
    QList<QWidget *> m_serverRows;
};
