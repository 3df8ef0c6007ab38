#include "frmSetLocalDir.h"

#include "app/GlobalState.h"
#include "app/Guard.h"
#include "app/Services.h"
#include "app/Settings.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

frmSetLocalDir::frmSetLocalDir(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSetLocalDir"));
    setWindowTitle(QStringLiteral("Set Local Folder"));

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());

    dirLocalFolder = new QTreeView(this);
    dirLocalFolder->setObjectName(QStringLiteral("dirLocalFolder"));
    dirLocalFolder->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        dirLocalFolder->hideColumn(column);
    dirLocalFolder->setHeaderHidden(true);
    dirLocalFolder->setSelectionMode(QAbstractItemView::SingleSelection);

    lblSetLocalFolder = new QLabel(this);
    lblSetLocalFolder->setObjectName(QStringLiteral("lblSetLocalFolder"));
    lblSetLocalFolder->setWordWrap(true);
    lblSetLocalFolder->setFrameShape(QFrame::StyledPanel);

    cmdSetLocalDir = new QPushButton(QStringLiteral("Set Local Folder"), this);
    cmdSetLocalDir->setObjectName(QStringLiteral("cmdSetLocalDir"));
    cmdSetLocalDir->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSetLocalDir);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSetLocalFolder);
    layout->addWidget(dirLocalFolder, 1);
    layout->addLayout(buttons);
    resize(420, 460);

    connect(dirLocalFolder->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Guarded([this] { showSelection(); }));
    connect(cmdSetLocalDir, &QPushButton::clicked, this,
            Guarded([this] { cmdSetLocalDir_Click(); }));
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // A stored folder that no longer exists opens the list at the working
    // directory instead.
    const QString stored = modSkiff::LocalFolder;
    SelectFolder(!stored.isEmpty() && QDir(stored).exists() ? stored : QDir::currentPath());
}

QString frmSetLocalDir::SelectedFolder() const
{
    return m_model->filePath(dirLocalFolder->currentIndex());
}

void frmSetLocalDir::SelectFolder(const QString& path)
{
    QString folder = QDir::cleanPath(QDir(path).absolutePath());
    const QModelIndex index = m_model->index(folder);
    if (!index.isValid())
        return;
    dirLocalFolder->setCurrentIndex(index);
    dirLocalFolder->expand(index);
    dirLocalFolder->scrollTo(index, QAbstractItemView::PositionAtCenter);
    showSelection();
}

void frmSetLocalDir::showSelection() { lblSetLocalFolder->setText(SelectedFolder()); }

void frmSetLocalDir::cmdSetLocalDir_Click()
{
    QString path = SelectedFolder();
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    if (MsgBox(QStringLiteral("Set Local Folder to ") + path + QStringLiteral(" ?"), vbYesNo) != vbYes)
        return;
    modSkiff::SaveSetting(QStringLiteral("Settings"), QStringLiteral("LocalFolder"), path);
    modSkiff::LocalFolder = path;
    QDir::setCurrent(path);
    accept();
}
