#pragma once
// The comment indicator dialog: edits CMT_INDICATOR (-5 to 5) and writes it on OK.
// Created by the main window each time its Comment Indicator action runs; GUI thread.

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;
class TConfig;
class TDebug;
class IPlatform;

class TFormCfg : public QDialog {
    Q_OBJECT
public:
    TFormCfg(TConfig& config, TDebug& debugLog, IPlatform& platform, QWidget* parent = nullptr);

    QLabel* Label1;
    QSpinBox* EditCI; // the edit with its up-down arrows
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;
    QPushButton* Help;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void ButtonOKClick();
    void HelpClick();

    TConfig& m_config;
    TDebug& m_debugLog;
    IPlatform& m_platform;
};
