#include "HelpViewer.h"

#include "platform/Errors.h"

#include <QKeyEvent>
#include <QTextDocument>
#include <QUrl>

#include <chm_lib.h>

#include <cerrno>
#include <cstring>

TChmFile::TChmFile(const QString& fileName) : FileName_(fileName)
{
    const QByteArray path = fileName.toUtf8();
    errno = 0;
    Handle_ = chm_open(path.constData());
    if (!Handle_) {
        const int reason = errno;
        throw EInOutError(path.toStdString(),
                          reason ? SystemMessage(reason) : "not a compiled help file");
    }
}

TChmFile::~TChmFile()
{
    chm_close(Handle_);
}

std::optional<QByteArray> TChmFile::Read(const QString& path) const
{
    chmUnitInfo unit{};
    if (chm_resolve_object(Handle_, path.toUtf8().constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    if (unit.length == 0)
        return bytes;
    const LONGINT64 read = chm_retrieve_object(
        Handle_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
        static_cast<LONGINT64>(unit.length));
    if (read != static_cast<LONGINT64>(unit.length))
        return std::nullopt;
    return bytes;
}

THelpAddress SplitHelpAddress(const QString& address)
{
    const qsizetype separator = address.indexOf(QStringLiteral("::"));
    if (separator < 0)
        return {address, QStringLiteral("/")};
    QString topic = address.mid(separator + 2);
    if (!topic.startsWith(u'/'))
        topic.prepend(u'/');
    return {address.left(separator), topic};
}

THelpViewer::THelpViewer(QWidget* parent) : QTextBrowser(parent)
{
    if (parent)
        setWindowFlags(Qt::Window);
    setOpenLinks(true);
    setOpenExternalLinks(false);
    resize(720, 560);
    connect(this, &QTextBrowser::sourceChanged, this, &THelpViewer::UpdateTitle);
}

THelpViewer::~THelpViewer() = default;

void THelpViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        close();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

void THelpViewer::OpenAddress(const QString& address)
{
    const THelpAddress target = SplitHelpAddress(address);
    if (!File_ || File_->FileName() != target.FileName) {
        auto file = std::make_unique<TChmFile>(target.FileName);
        File_ = std::move(file);
        clearHistory();
    }
    QUrl url;
    url.setScheme(QString::fromLatin1(Scheme));
    url.setPath(target.Topic);
    setSource(url, QTextDocument::HtmlResource);
}

QString THelpViewer::CurrentTopic() const
{
    return source().path();
}

QVariant THelpViewer::loadResource(int type, const QUrl& name)
{
    if (name.scheme() != QLatin1String(Scheme))
        return QTextBrowser::loadResource(type, name);
    if (File_) {
        if (std::optional<QByteArray> bytes = File_->Read(name.path()))
            return *bytes;
    }
    if (type == QTextDocument::HtmlResource)
        return QStringLiteral("<html><body><h1>Topic not found</h1><p>%1 is not in the help file.</p>"
                              "</body></html>")
            .arg(name.path().toHtmlEscaped());
    return {};
}

void THelpViewer::UpdateTitle()
{
    const QString title = documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Help") : QStringLiteral("Help - ") + title);
}
