#include "frmZQ410_ErrList.h"

#include "Notice.h"
#include "PollingEngine.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int ErrorRows = 5;

const QStringList ErrorTexts = {
    QStringLiteral("입력 오버"),        QStringLiteral("입력 오픈"),
    QStringLiteral("RJC 에러"),         QStringLiteral("AT 에러"),
    QStringLiteral("ADC 에러"),         QStringLiteral("전원 에러"),
    QStringLiteral("EEPROM 에러"),      QStringLiteral("Calib 에러"),
    QStringLiteral("보드 에러"),        QStringLiteral("펌프 정동작 오버"),
    QStringLiteral("펌프 역동작 오버"), QStringLiteral("압력 오버"),
    QStringLiteral("온도 오버"),        QStringLiteral("전류 오버"),
    QStringLiteral("히터 오버"),
};

} // namespace

frmZQ410_ErrList::frmZQ410_ErrList(PollingEngine &engine, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("에러 메시지"));
    sprdErr = new QTableWidget(ErrorRows, 2, this);
    sprdErr->setObjectName(QStringLiteral("sprdErr"));
    sprdErr->setHorizontalHeaderLabels({QStringLiteral("에러 번호"), QStringLiteral("에러 명칭")});
    sprdErr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sprdErr->setSelectionMode(QAbstractItemView::NoSelection);
    sprdErr->setFocusPolicy(Qt::NoFocus);
    sprdErr->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    sprdErr->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    sprdErr->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdErr->setMinimumSize(320, 190);
    for (int row = 0; row < ErrorRows; ++row) {
        for (int column = 0; column < 2; ++column)
            sprdErr->setItem(row, column, new QTableWidgetItem());
    }
    btnClose = new QPushButton(QStringLiteral("닫기[&C]"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sprdErr);
    layout->addWidget(btnClose, 0, Qt::AlignRight);

    // The codes of the controller selected when the window opened (another program served by
    // this line may read another controller's).
    connect(&engine, &PollingEngine::errorHistoryReceived, this,
            [this, deviceNo = engine.state().SelectedDeviceNo](int from, const QList<int> &codes) {
                if (from == deviceNo)
                    ShowErrorCodes(codes);
            });
    connect(&engine, &PollingEngine::requestFailed, this, [this](const RequestFailure &failure) {
        if (failure.requester == this)
            Notice::post(this, failure.text());
    });
    engine.readErrorHistory(this);
}

QString frmZQ410_ErrList::errorText(int code)
{
    return code >= 1 && code <= ErrorTexts.size() ? ErrorTexts.at(code - 1)
                                                  : QStringLiteral("알 수 없는 에러");
}

/// Row k shows register 700 + k - 1; a code of 0 or less leaves its row as it is.
void frmZQ410_ErrList::ShowErrorCodes(const QList<int> &codes)
{
    for (int row = 0; row < std::min<int>(ErrorRows, int(codes.size())); ++row) {
        const int code = codes.at(row);
        if (code <= 0)
            continue;
        sprdErr->item(row, 0)->setText(QString::number(code));
        sprdErr->item(row, 1)->setText(errorText(code));
    }
}
