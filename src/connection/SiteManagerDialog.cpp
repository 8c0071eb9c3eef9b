#include "connection/SiteManagerDialog.h"

#include "connection/ConnectChecks.h"
#include "connection/EncryptionChoice.h"
#include "connection/ProtocolChoice.h"
#include "platform/Globals.h"
#include "platform/Prompts.h"
#include "remote/RemoteCodes.h"
#include "remote/RemoteSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDataWidgetMapper>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Korvu");

// Which entry of a combo box an empty or unknown value shows (-1: none).
const char *const UnknownIndex = "korvuUnknownIndex";

// The check box columns hold 0 (unchecked), 1 (checked) or 2 (grayed);
// an empty column reads as unchecked.
Qt::CheckState checkStateOf(const QVariant &value)
{
    switch (value.toInt()) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

int valueOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

// Moves values between the site record and the controls. The check boxes
// carry three states and the transfer type combo box must show an empty or
// unknown value as no choice, neither of which the default delegate does.
class SiteFieldDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        const QVariant value = index.data(Qt::EditRole);
        if (auto *box = qobject_cast<QCheckBox *>(editor)) {
            const Qt::CheckState state = checkStateOf(value);
            box->setTristate(state == Qt::PartiallyChecked);
            box->setCheckState(state);
        } else if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            // A value the box does not offer shows as its choice for none.
            const int found = combo->findText(value.toString());
            combo->setCurrentIndex(found >= 0 ? found : combo->property(UnknownIndex).toInt());
        } else if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
            edit->setText(value.toString());
        } else {
            QStyledItemDelegate::setEditorData(editor, index);
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        if (auto *box = qobject_cast<QCheckBox *>(editor))
            model->setData(index, valueOf(box->checkState()));
        else if (auto *combo = qobject_cast<QComboBox *>(editor))
            model->setData(index, combo->currentText());
        else if (auto *edit = qobject_cast<QLineEdit *>(editor))
            model->setData(index, edit->text());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
};

QLabel *labelFor(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

SiteManagerDialog::SiteManagerDialog(Globals &globals, Prompts &prompts,
                                     std::function<void()> showHelp, const QString &databasePath,
                                     QWidget *parent)
    : QDialog(parent), globals(globals), prompts(prompts), showHelp(std::move(showHelp))
{
    setObjectName(QStringLiteral("frmlogin"));
    setWindowTitle(QStringLiteral("站点管理器"));
    buildControls();
    loadSites(databasePath);
}

SiteManagerDialog::~SiteManagerDialog()
{
    listSit->setModel(nullptr);
}

void SiteManagerDialog::buildControls()
{
    listSit = new QListView;
    listSit->setObjectName(QStringLiteral("listSit"));
    listSit->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listSit->setSelectionMode(QAbstractItemView::SingleSelection);

    txtFTP = new QLineEdit;
    txtFTP->setObjectName(QStringLiteral("txtFTP"));
    txtPort = new QLineEdit;
    txtPort->setObjectName(QStringLiteral("txtPort"));
    txtUser = new QLineEdit;
    txtUser->setObjectName(QStringLiteral("txtUser"));
    txtPassword = new QLineEdit;
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    cobType = new QComboBox;
    cobType->setObjectName(QStringLiteral("cobType"));
    // Kept with the site for the user's reference; connections do not use it.
    cobType->addItems(
        {QStringLiteral("Binary"), QStringLiteral("Ascii"), QStringLiteral("EBCIDIC")});
    cobType->setProperty(UnknownIndex, -1);
    // The encoding of the server's file names; the entries stand at the
    // indexes of RemoteNameEncoding, and a site without a choice means "自动".
    cobCharset = new QComboBox;
    cobCharset->setObjectName(QStringLiteral("cobCharset"));
    cobCharset->addItems({QStringLiteral("自动"), QStringLiteral("UTF-8"), QStringLiteral("GBK")});
    cobCharset->setProperty(UnknownIndex, RemoteNameEncoding::Auto);
    // A site from before the choice, or with a text the box does not offer,
    // connects as it always did: plain FTP.
    cobEncryption = EncryptionChoice::newBox("cobEncryption");
    cobEncryption->setProperty(UnknownIndex, RemoteEncryption::Plain);
    // A site from before the choice connects as it always did: FTP.
    cobProtocol = ProtocolChoice::newBox("cobProtocol");
    cobProtocol->setProperty(UnknownIndex, int(RemoteProtocol::Ftp));
    txtKeyFile = new QLineEdit;
    txtKeyFile->setObjectName(QStringLiteral("txtKeyFile"));
    txtKeyFile->setPlaceholderText(QStringLiteral("不用密钥时留空"));
    txtTime = new QLineEdit;
    txtTime->setObjectName(QStringLiteral("txtTime"));
    chkChar = new QCheckBox(QStringLiteral("密码(P):"));
    chkChar->setObjectName(QStringLiteral("chkChar"));
    chkAnonymous = new QCheckBox(QStringLiteral("匿名登录(&M)"));
    chkAnonymous->setObjectName(QStringLiteral("chkAnonymous"));
    chkPASV = new QCheckBox(QStringLiteral("被动模式(&D)"));
    chkPASV->setObjectName(QStringLiteral("chkPASV"));

    const auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdAdd = button("cmdAdd", QStringLiteral("添加(&A)"));
    cmdDel = button("cmdDel", QStringLiteral("删除(&D)"));
    cmdSave = button("cmdSave", QStringLiteral("保存(&S)"));
    cmdConnect = button("cmdConnect", QStringLiteral("连接(&C)"));
    cmdConnect->setDefault(true);
    cmdClose = button("cmdClose", QStringLiteral("关闭(&O)"));
    cmdHelp = button("cmdHelp", QStringLiteral("帮助(&H)"));
    cmdKeyFile = button("cmdKeyFile", QStringLiteral("浏览(&B)..."));

    keyFileRow = new QWidget;
    auto *keyFile = new QHBoxLayout(keyFileRow);
    keyFile->setContentsMargins(0, 0, 0, 0);
    keyFile->addWidget(txtKeyFile, 1);
    keyFile->addWidget(cmdKeyFile);
    lblKeyFile = labelFor(QStringLiteral("密钥文件(&K):"), txtKeyFile);

    auto *fields = new QGridLayout;
    fields->addWidget(labelFor(QStringLiteral("协议(&R):"), cobProtocol), 0, 0);
    fields->addWidget(cobProtocol, 0, 1);
    fields->addWidget(labelFor(QStringLiteral("&FTP 地址:"), txtFTP), 1, 0);
    fields->addWidget(txtFTP, 1, 1, 1, 2);
    fields->addWidget(labelFor(QStringLiteral("端口(&P):"), txtPort), 2, 0);
    fields->addWidget(txtPort, 2, 1);
    lblDefaultPort = new QLabel;
    fields->addWidget(lblDefaultPort, 2, 2);
    fields->addWidget(labelFor(QStringLiteral("用户名(&N):"), txtUser), 3, 0);
    fields->addWidget(txtUser, 3, 1, 1, 2);
    fields->addWidget(chkChar, 4, 0);
    fields->addWidget(txtPassword, 4, 1, 1, 2);
    fields->addWidget(lblKeyFile, 5, 0);
    fields->addWidget(keyFileRow, 5, 1, 1, 2);
    fields->addWidget(labelFor(QStringLiteral("传输类型(&T):"), cobType), 6, 0);
    fields->addWidget(cobType, 6, 1);
    fields->addWidget(labelFor(QStringLiteral("超时(&O):"), txtTime), 7, 0);
    fields->addWidget(txtTime, 7, 1);
    fields->addWidget(labelFor(QStringLiteral("字符集(&E):"), cobCharset), 8, 0);
    fields->addWidget(cobCharset, 8, 1);
    fields->addWidget(labelFor(QStringLiteral("加密(&L):"), cobEncryption), 9, 0);
    fields->addWidget(cobEncryption, 9, 1, 1, 2);
    fields->addWidget(chkAnonymous, 10, 1);
    fields->addWidget(chkPASV, 10, 2);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(11, 1);

    auto *listButtons = new QHBoxLayout;
    listButtons->addWidget(cmdAdd);
    listButtons->addWidget(cmdDel);
    auto *left = new QVBoxLayout;
    left->addWidget(listSit);
    left->addLayout(listButtons);

    auto *top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(fields, 3);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    for (QPushButton *b : {cmdSave, cmdConnect, cmdClose, cmdHelp})
        bottom->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    connect(cmdAdd, &QPushButton::clicked, this, &SiteManagerDialog::addSite);
    connect(cmdDel, &QPushButton::clicked, this, &SiteManagerDialog::deleteSite);
    connect(cmdSave, &QPushButton::clicked, this, &SiteManagerDialog::saveSite);
    connect(cmdConnect, &QPushButton::clicked, this, &SiteManagerDialog::connectSite);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHelp, &QPushButton::clicked, this, [this] {
        if (this->showHelp)
            this->showHelp();
    });
    connect(chkChar, &QCheckBox::toggled, this, &SiteManagerDialog::setPasswordMask);
    connect(cobProtocol, &QComboBox::currentIndexChanged, this,
            &SiteManagerDialog::showProtocolFields);
    // Only the user's switch moves the port: a record shown keeps its own.
    connect(cobProtocol, &QComboBox::activated, this, [this](int protocol) {
        txtPort->setText(ProtocolChoice::portAfterSwitch(protocol, txtPort->text()));
    });
    connect(cmdKeyFile, &QPushButton::clicked, this, &SiteManagerDialog::chooseKeyFile);
    showProtocolFields();
    // Only the user's click fills the credentials: showing a record sets the
    // box too, and must leave the record's own user and password in place.
    connect(chkAnonymous, &QCheckBox::clicked, this, &SiteManagerDialog::fillAnonymous);
}

void SiteManagerDialog::loadSites(const QString &databasePath)
{
    const bool opened = databasePath.isEmpty() ? sites.openProgramFile() : sites.open(databasePath);
    if (opened)
        bindControls();
    else
        reportError(sites.errorNumber(), sites.errorDescription());
    chkChar->setChecked(true);
    setPasswordMask(true);
}

void SiteManagerDialog::bindControls()
{
    auto table = std::make_unique<QSqlTableModel>(nullptr, sites.database());
    table->setTable(SiteDatabase::TableName);
    table->setEditStrategy(QSqlTableModel::OnManualSubmit);
    table->setSort(0, Qt::AscendingOrder); // table order: the order the sites were added
    if (!table->select()) {
        reportError(SiteDatabase::FileUnreadable, table->lastError().text());
        return;
    }
    while (table->canFetchMore())
        table->fetchMore();
    model = std::move(table);

    mapper = std::make_unique<QDataWidgetMapper>();
    mapper->setModel(model.get());
    mapper->setItemDelegate(new SiteFieldDelegate(mapper.get()));
    mapper->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    const std::pair<QWidget *, QString> bindings[] = {
        {txtFTP, SiteColumns::Address},       {txtPort, SiteColumns::Port},
        {txtUser, SiteColumns::User},         {txtPassword, SiteColumns::Password},
        {cobType, SiteColumns::TransferType}, {txtTime, SiteColumns::Timeout},
        {chkPASV, SiteColumns::Passive},      {chkAnonymous, SiteColumns::Anonymous},
    };
    for (const auto &[widget, column] : bindings)
        mapper->addMapping(widget, model->fieldIndex(column));
    // Missing only from a file that would not take the column (read-only).
    if (model->fieldIndex(SiteColumns::Encoding) >= 0)
        mapper->addMapping(cobCharset, model->fieldIndex(SiteColumns::Encoding));
    if (model->fieldIndex(SiteColumns::Encryption) >= 0)
        mapper->addMapping(cobEncryption, model->fieldIndex(SiteColumns::Encryption));
    else // its sites connect as they always did
        cobEncryption->setCurrentIndex(RemoteEncryption::Plain);
    if (model->fieldIndex(SiteColumns::Protocol) >= 0)
        mapper->addMapping(cobProtocol, model->fieldIndex(SiteColumns::Protocol));
    if (model->fieldIndex(SiteColumns::KeyFile) >= 0)
        mapper->addMapping(txtKeyFile, model->fieldIndex(SiteColumns::KeyFile));

    listSit->setModel(model.get());
    listSit->setModelColumn(SiteDatabase::NameColumn);
    connect(listSit->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = listSit->selectionModel()->selectedIndexes();
        if (!rows.isEmpty())
            mapper->setCurrentIndex(rows.first().row());
    });
    showSite(0);
}

void SiteManagerDialog::reportError(int number, const QString &description)
{
    prompts.messageBox(description, Prompts::Buttons::Ok, Prompts::Icon::None,
                       Title + QStringLiteral("错误号:") + QString::number(number));
}

// Writes the pending changes of the model to the file. A failure is
// reported and the model goes back to what the file holds.
bool SiteManagerDialog::writeChanges()
{
    const bool written = model->submitAll();
    if (!written) {
        reportError(SiteDatabase::WriteFailed,
                    QStringLiteral("无法写入站点数据库: ") + model->lastError().text());
        model->revertAll();
        model->select();
    }
    while (model->canFetchMore())
        model->fetchMore();
    return written;
}

// Shows the record at `row` and selects its entry, so the list and the
// controls always speak of the same site; with no such record the controls
// are emptied and nothing is selected.
void SiteManagerDialog::showSite(int row)
{
    if (row < 0 || row >= model->rowCount()) {
        listSit->clearSelection();
        clearFields();
        return;
    }
    listSit->setCurrentIndex(model->index(row, SiteDatabase::NameColumn));
    mapper->setCurrentIndex(row);
}

void SiteManagerDialog::clearFields()
{
    for (QLineEdit *edit : {txtFTP, txtPort, txtUser, txtPassword, txtTime, txtKeyFile})
        edit->clear();
    cobProtocol->setCurrentIndex(int(RemoteProtocol::Ftp));
    cobType->setCurrentIndex(-1);
    cobCharset->setCurrentIndex(RemoteNameEncoding::Auto);
    cobEncryption->setCurrentIndex(RemoteEncryption::ExplicitIfOffered);
    chkAnonymous->setChecked(false);
    chkPASV->setTristate(false);
    chkPASV->setChecked(false);
}

bool SiteManagerDialog::hasSelection() const
{
    return listSit->selectionModel() && listSit->selectionModel()->hasSelection();
}

void SiteManagerDialog::addSite()
{
    if (!model)
        return;
    const std::optional<QString> name =
        prompts.inputBox(QStringLiteral("请输入站点名称:"), Title, QString());

    // A cancelled prompt still adds a site, with an empty name.
    QSqlRecord record = model->record();
    record.setGenerated(0, false); // the file numbers the new row
    record.setValue(SiteDatabase::NameColumn, name ? *name : QStringLiteral(""));
    record.setValue(SiteColumns::Port, QStringLiteral("21"));
    record.setValue(SiteColumns::Timeout, QStringLiteral("30"));
    if (record.contains(SiteColumns::Encryption))
        record.setValue(SiteColumns::Encryption,
                        EncryptionChoice::texts().at(RemoteEncryption::ExplicitIfOffered));
    if (!model->insertRecord(-1, record)) {
        reportError(SiteDatabase::WriteFailed,
                    QStringLiteral("无法添加站点: ") + model->lastError().text());
        return;
    }
    if (writeChanges())
        showSite(model->rowCount() - 1);
    else
        showSite(0);
}

void SiteManagerDialog::deleteSite()
{
    if (!model || !hasSelection())
        return;
    model->removeRow(mapper->currentIndex());
    writeChanges();
    showSite(0);
}

void SiteManagerDialog::saveSite()
{
    if (!model || mapper->currentIndex() < 0)
        return;
    const int row = mapper->currentIndex();
    mapper->submit();
    writeChanges();
    showSite(row);
}

void SiteManagerDialog::connectSite()
{
    const int encryption = qMax(0, cobEncryption->currentIndex());
    const int protocol = qMax(0, cobProtocol->currentIndex());
    const bool sftp = protocol == int(RemoteProtocol::Sftp);
    const std::optional<ConnectChecks::Server> server =
        ConnectChecks::serverFrom(prompts, txtFTP->text(), txtPort->text(),
                                  ProtocolChoice::defaultPort(protocol, encryption));
    if (!server)
        return;
    const std::optional<int> timeout = ConnectChecks::timeoutFrom(txtTime->text());
    if (!timeout) {
        ConnectChecks::warnBadTimeout(prompts);
        return;
    }
    globals.gHost = server->host;
    globals.gUser = txtUser->text();
    globals.gPassword = txtPassword->text();
    globals.gPort = server->port;
    globals.gTimeout = *timeout;
    globals.gPassive = chkPASV->checkState() != Qt::Unchecked;
    globals.gEncoding = qMax(0, cobCharset->currentIndex());
    globals.gEncryption = encryption;
    globals.gProtocol = protocol;
    globals.gKeyFile = sftp ? txtKeyFile->text().trimmed() : QString();
    globals.gDialogCancelled = false;
    accept();
}

void SiteManagerDialog::showProtocolFields()
{
    const bool sftp = cobProtocol->currentIndex() == int(RemoteProtocol::Sftp);
    // SSH encrypts by itself, has no data connections to make passive and
    // no anonymous log-in; the transfer type is an FTP note.
    for (QWidget *ftpOnly :
         std::initializer_list<QWidget *>{cobEncryption, chkPASV, chkAnonymous, cobType})
        ftpOnly->setEnabled(!sftp);
    keyFileRow->setVisible(sftp);
    lblDefaultPort->setText(sftp ? QStringLiteral("默认为 22") : QStringLiteral("默认为 21"));
    lblKeyFile->setVisible(sftp);
}

void SiteManagerDialog::chooseKeyFile()
{
    const QString start = txtKeyFile->text().isEmpty()
                              ? QDir::home().filePath(QStringLiteral(".ssh/id_ed25519"))
                              : txtKeyFile->text();
    const QString chosen =
        prompts.openFileName(QStringLiteral("选择私钥文件"), QStringLiteral("所有文件 (*)"), start);
    if (!chosen.isEmpty())
        txtKeyFile->setText(QDir::toNativeSeparators(chosen));
}

void SiteManagerDialog::setPasswordMask(bool masked)
{
    txtPassword->setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

void SiteManagerDialog::fillAnonymous(bool anonymous)
{
    txtUser->setText(anonymous ? QStringLiteral("anonymous") : QString());
    txtPassword->setText(anonymous ? AnonymousPassword : QString());
}
