#pragma once
// TfrmDadosGerRel: the host's base report screen. Top row: the group box grbDadosRel (45 pixels
// high) with the report-name combo cbbReportNames (384 pixels wide) and the report-code label
// lblCodRel, the button bar panBotoes (232 pixels wide) with sbtPreview, sbtPrint, sbtReportEdit
// (its pop-up menu ppmEditReport: edit or create a report definition) and sbtCancel (closes the
// screen), and the screen-code label lblCodTela. F8 clicks sbtPrint and Esc sbtCancel. The screen's own controls go below
// (AddClientWidget). A derived screen sets lblCodRel's text in its constructor; FormCreate lists
// the definitions of that report code from the session's reports directory and picks the one
// this workstation chose last (TWorkstation), remembered when the person picks one or prints. sbtPreviewClick and
// sbtPrintClick hand the chosen report and the screen's data sources to the report engine and
// return when it is done; FormClose frees the screen (caFree). Handlers run through the event
// guard and are virtual, so derived screens override them and call the base.

#include "framework/form.h"
#include "framework/groupbox.h"
#include "framework/messages.h"
#include "framework/panel.h"
#include "framework/reportengine.h"
#include "framework/speedbutton.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>

class QHBoxLayout;
class QSpacerItem;
class QVBoxLayout;

class TfrmDadosGerRel : public TForm {
    Q_OBJECT
public:
    explicit TfrmDadosGerRel(QWidget* owner = nullptr);

    void FormCreate(QObject* sender) override;
    void FormClose(QObject* sender, TCloseAction& action) override;
    virtual void sbtPreviewClick(QObject* sender);
    virtual void sbtPrintClick(QObject* sender);
    virtual void sbtReportEditClick(QObject* sender);
    virtual void sbtCancelClick(QObject* sender);

    void AddClientWidget(QWidget* widget, int stretch = 0);
    // Adds a button of the screen's own to the button bar, after the base's buttons.
    void AddBarButton(TSpeedButton* button);
    TReportRequest Request() const;

    TGroupBox* grbDadosRel;
    QComboBox* cbbReportNames;
    QLabel* lblCodRel;
    TPanel* panBotoes;
    TSpeedButton* sbtPreview;
    TSpeedButton* sbtPrint;
    TSpeedButton* sbtReportEdit;
    TSpeedButton* sbtCancel;
    QMenu* ppmEditReport;
    QLabel* lblCodTela;
    TMessages msgPadrao;

private:
    QString ReportNameKey() const;
    void RememberReportName();

    QVBoxLayout* layout_;
    QHBoxLayout* bar_;
    QSpacerItem* filler_ = nullptr;
};
