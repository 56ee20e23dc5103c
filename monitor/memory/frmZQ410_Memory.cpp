#include "frmZQ410_Memory.h"

#include "FileNames.h"
#include "GridFile.h"
#include "MemoryTable.h"
#include "Notice.h"
#include "PollingEngine.h"
#include "RegisterEntry.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor PaleGreen(192, 255, 192);
const QString FileFilter = QStringLiteral("메모리 파일(*.MEM)");

} // namespace

frmZQ410_Memory::frmZQ410_Memory(PollingEngine &engine, QWidget *parent)
    : QDialog(parent), m_engine(engine), m_table(new MemoryTable(this)),
      m_chooseSaveFile([](QWidget *parent) {
          return QFileDialog::getSaveFileName(parent, QString(), QString(), FileFilter);
      })
{
    setWindowTitle(QStringLiteral("메모리 설정"));
    buildTable();
    const auto button = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setMinimumWidth(140);
        b->setAutoDefault(false); // Enter in the table edits a cell, it never starts a transfer
        return b;
    };
    btnR_MC = button(QStringLiteral("기기에서 읽기[&R]"), "btnR_MC");
    btnS_MC = button(QStringLiteral("기기로 전송[&T]"), "btnS_MC");
    btnS_File = button(QStringLiteral("파일로 저장[&S]"), "btnS_File");
    btnR_File = button(QStringLiteral("파일에서 읽기[&L]"), "btnR_File");
    btnClose = button(QStringLiteral("닫기[&C]"), "btnClose");
    lblMsg = new QLabel(QStringLiteral("메시지 표시 영역"), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setFrameShape(QFrame::Panel);
    lblMsg->setFrameShadow(QFrame::Sunken);
    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, MemoryTable::BlockCount);
    progress->setFormat(QStringLiteral("%v / %m"));
    progress->setValue(0);

    connect(btnR_MC, &QPushButton::clicked, this, &frmZQ410_Memory::readFromController);
    connect(btnS_MC, &QPushButton::clicked, this, &frmZQ410_Memory::sendToController);
    connect(btnS_File, &QPushButton::clicked, this, &frmZQ410_Memory::saveFile);
    connect(btnR_File, &QPushButton::clicked, this, &frmZQ410_Memory::loadFile);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {btnR_MC, btnS_MC, btnS_File, btnR_File})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *top = new QHBoxLayout;
    top->addWidget(sprdMem, 1);
    top->addLayout(buttons);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblMsg, 1);
    bottom->addWidget(progress);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(620, 640);

    connect(&m_engine, &PollingEngine::memoryBlockPlaced, this,
            [this](int block) { showProgress(block + 1); });
    connect(&m_engine, &PollingEngine::memoryReadCompleted, this, [this] {
        m_incompleteBlocks = -1;
        setTransfer(Transfer::None);
        lblMsg->setText(QStringLiteral("데이터 수신 완료."));
    });
    connect(&m_engine, &PollingEngine::memoryBlockSent, this,
            [this](int block) { showProgress(block + 1); });
    connect(&m_engine, &PollingEngine::memorySendVerifying, this, [this] {
        lblMsg->setText(QStringLiteral("전송한 값을 기기에서 다시 읽어 확인 중..."));
    });
    connect(&m_engine, &PollingEngine::memorySendCompleted, this, [this] {
        setTransfer(Transfer::None);
        lblMsg->setText(QStringLiteral("송신 완료."));
    });
    connect(&m_engine, &PollingEngine::requestFailed, this, &frmZQ410_Memory::onRequestFailed);
    connect(&m_engine, &PollingEngine::onlineChanged, this, &frmZQ410_Memory::setOnline);
    setOnline(m_engine.isOnline());
}

/// Empty at every opening; odd rows white, even rows pale green. The grid and the memory table
/// the engine reads and fills are kept equal both ways.
void frmZQ410_Memory::buildTable()
{
    sprdMem = new QTableWidget(MemoryTable::Rows, MemoryTable::Columns, this);
    sprdMem->setObjectName(QStringLiteral("sprdMem"));
    sprdMem->setHorizontalHeaderLabels(
        {QStringLiteral("SV"), QStringLiteral("ON Time (분)"), QStringLiteral("OFF Time (분)")});
    sprdMem->setCornerButtonEnabled(false);
    sprdMem->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprdMem->verticalHeader()->setDefaultSectionSize(24);
    for (int row = 0; row < MemoryTable::Rows; ++row) {
        for (int column = 0; column < MemoryTable::Columns; ++column) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setBackground(row % 2 ? QBrush(PaleGreen) : QBrush(Qt::white));
            item->setForeground(QBrush(Qt::black));
            sprdMem->setItem(row, column, item);
        }
    }
    // The corner over the row numbers reads "No".
    auto *corner = new QLabel(QStringLiteral("No"), sprdMem);
    corner->setAlignment(Qt::AlignCenter);
    corner->setGeometry(0, 0, sprdMem->verticalHeader()->sizeHint().width() + 2,
                        sprdMem->horizontalHeader()->sizeHint().height());
    corner->setObjectName(QStringLiteral("corner"));

    connect(sprdMem, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        m_table->setCell(item->column() + 1, item->row() + 1, item->text());
    });
    connect(m_table, &MemoryTable::cellChanged, this, [this](int column, int row) {
        QTableWidgetItem *item = sprdMem->item(row - 1, column - 1);
        if (item->text() != m_table->cell(column, row))
            item->setText(m_table->cell(column, row));
    });
}

void frmZQ410_Memory::readFromController()
{
    if (m_transfer != Transfer::None)
        return;
    setTransfer(Transfer::Reading);
    lblMsg->setText(QStringLiteral("데이터 수신 중..."));
    showProgress(0);
    m_engine.readMemory(*m_table, this);
}

/// Every cell must fit its register before anything goes out.
void frmZQ410_Memory::sendToController()
{
    if (m_transfer != Transfer::None || !confirmIncomplete(QStringLiteral("전송")))
        return;
    const int decimals = m_engine.state().DecimalPlaces;
    for (int column = 1; column <= MemoryTable::Columns; ++column) {
        const RegisterEntry::Kind kind =
            column == 1 ? RegisterEntry::Kind::Scaled : RegisterEntry::Kind::Plain;
        for (int row = 1; row <= MemoryTable::Rows; ++row) {
            if (!RegisterEntry::convert(m_table->cell(column, row), kind, decimals)) {
                showMessage(QStringLiteral("%1행 %2열의 값이 기기가 받을 수 있는 범위를 "
                                           "벗어납니다. 전송하지 않았습니다.")
                                .arg(row)
                                .arg(column));
                return;
            }
        }
    }
    setTransfer(Transfer::Sending);
    lblMsg->setText(QStringLiteral("데이터 송신 중..."));
    showProgress(0);
    m_engine.sendMemory(*m_table, this);
}

/// While a transfer runs the table stays as it is: no edits, no loading, no second transfer.
void frmZQ410_Memory::setTransfer(Transfer transfer)
{
    m_transfer = transfer;
    sprdMem->setEditTriggers(transfer == Transfer::None ? QAbstractItemView::DoubleClicked |
                                                              QAbstractItemView::EditKeyPressed |
                                                              QAbstractItemView::AnyKeyPressed
                                                        : QAbstractItemView::NoEditTriggers);
    updateButtons();
}

/// A transfer that stopped says why and how far it got; a read that stopped leaves the table
/// marked incomplete.
void frmZQ410_Memory::onRequestFailed(const RequestFailure &failure)
{
    if (failure.requester != this)
        return;
    const bool reading = m_transfer == Transfer::Reading;
    setTransfer(Transfer::None);
    showProgress(failure.blocksDone);
    QString text = failure.text();
    if (reading) {
        m_incompleteBlocks = failure.blocksDone;
        text += QStringLiteral(" 표의 일부만 기기에서 읽었습니다.");
    }
    lblMsg->setText(text);
}

bool frmZQ410_Memory::confirmIncomplete(const QString &action)
{
    if (m_incompleteBlocks < 0)
        return true;
    const QString question =
        QStringLiteral("표의 일부만 기기에서 읽었습니다(%1블록 중 %2블록). 그래도 %3하시겠습니까?")
            .arg(MemoryTable::BlockCount)
            .arg(m_incompleteBlocks)
            .arg(action);
    return QMessageBox::question(this, QStringLiteral("ZQ410"), question) == QMessageBox::Yes;
}

bool frmZQ410_Memory::saveTo(const QString &path) const
{
    QList<QStringList> rows;
    for (int row = 1; row <= MemoryTable::Rows; ++row) {
        QStringList cells;
        for (int column = 1; column <= MemoryTable::Columns; ++column)
            cells.append(m_table->cell(column, row));
        rows.append(cells);
    }
    return GridFile::save(path, rows);
}

bool frmZQ410_Memory::loadFrom(const QString &path)
{
    const auto rows = GridFile::load(path);
    const bool isTable = rows && rows->size() == MemoryTable::Rows &&
                         std::all_of(rows->begin(), rows->end(), [](const QStringList &cells) {
                             return cells.size() == MemoryTable::Columns;
                         });
    if (!isTable)
        return false;
    for (int row = 1; row <= MemoryTable::Rows; ++row) {
        for (int column = 1; column <= MemoryTable::Columns; ++column)
            m_table->setCell(column, row, rows->at(row - 1).at(column - 1));
    }
    return true;
}

/// A cancelled dialog ends silently; a failed write says so (an old file of that name stays as
/// it was).
void frmZQ410_Memory::saveFile()
{
    if (!confirmIncomplete(QStringLiteral("저장")))
        return;
    const QString path = FileNames::withSuffix(m_chooseSaveFile(this), QStringLiteral("MEM"));
    if (!path.isEmpty() && !saveTo(path))
        showMessage(QStringLiteral("메모리 파일을 저장하지 못했습니다. 같은 이름의 파일이 있었다면 "
                                   "그대로입니다. 폴더의 쓰기 권한과 디스크 공간을 "
                                   "확인하십시오.\n%1")
                        .arg(QDir::toNativeSeparators(path)));
}

/// A file that is not a memory table is refused whole, with a message; a cancelled dialog ends
/// silently.
void frmZQ410_Memory::loadFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), FileFilter);
    if (path.isEmpty())
        return;
    if (!loadFrom(path)) {
        showMessage(QStringLiteral("메모리 파일이 아닙니다. 표는 그대로입니다.\n%1").arg(path));
        return;
    }
    m_incompleteBlocks = -1;
}

void frmZQ410_Memory::showProgress(int blocksDone)
{
    progress->setValue(blocksDone);
}

void frmZQ410_Memory::setOnline(bool online)
{
    m_online = online;
    updateButtons();
}

/// Reading and sending need the line; the file buttons do not. Only Close works during a
/// transfer.
void frmZQ410_Memory::updateButtons()
{
    const bool idle = m_transfer == Transfer::None;
    btnR_MC->setEnabled(m_online && idle);
    btnS_MC->setEnabled(m_online && idle);
    btnS_File->setEnabled(idle);
    btnR_File->setEnabled(idle);
}

void frmZQ410_Memory::showMessage(const QString &text)
{
    Notice::show(this, text);
}
