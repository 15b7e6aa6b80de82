// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMProvider.h"
#include "settings/FormSection.h"

#include <QMap>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class SegmentedControl;
class SettingsModel;
class SpinnerView;

// The provider, the theme, and the key, address and default model of each
// provider; only the picked provider's rows show.
class ProviderPage : public FormSection
{
    Q_OBJECT

public:
    ProviderPage(SettingsModel &model, QWidget *parent = nullptr);

    // The desktop's colours changed: the icons drawn in them are drawn again.
    void takeColoursFromPalette();

Q_SIGNALS:
    // A pick could not be stored; why, in a sentence.
    void storeFailed(const QString &message);

private:
    // The rows of one provider, and the controls bound to its model state.
    struct Rows
    {
        QList<QWidget *> rows;
        QLineEdit *key = nullptr;
        QComboBox *menu = nullptr;
        SpinnerView *spinner = nullptr;
        QToolButton *refresh = nullptr;
    };

    void addPickers();
    void addCloudRows(LLMProvider provider);
    void addServerRows();
    void addKeyField(LLMProvider provider, const QString &label, const QString &placeholder);
    // A model menu, with a spinner and a refresh button beside it when the list is fetched.
    void addModelRow(LLMProvider provider, bool fetched, const QString &refreshName, const QString &refreshTip);

    void showProvider();
    void showModels(LLMProvider provider);
    void showServerCaptions();

    SettingsModel &m_model;
    SegmentedControl *m_providerPicker = nullptr;
    SegmentedControl *m_themePicker = nullptr;
    QMap<LLMProvider, Rows> m_rows;
    QLineEdit *m_addressField = nullptr;
    QLabel *m_serverProblem = nullptr;
    QLabel *m_plainHttpWarning = nullptr;
};
