#pragma once
// The help viewer: shows the topics of a compiled help file (.chm), addressed as
// "<file>::/<topic>", for example help.chm::/introduction/intro.html. Pages, pictures and style
// sheets are read straight out of the file, so links between topics work inside the viewer.

#include <QByteArray>
#include <QString>
#include <QTextBrowser>

#include <memory>
#include <optional>

struct chmFile;

// An open .chm file.
class TChmFile {
public:
    // Raises EInOutError naming the file when it cannot be opened or is no compiled help file.
    explicit TChmFile(const QString& fileName);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    const QString& FileName() const { return FileName_; }
    // The bytes of the object at path ("/introduction/intro.html"); nothing when it is absent.
    std::optional<QByteArray> Read(const QString& path) const;

private:
    QString FileName_;
    chmFile* Handle_ = nullptr;
};

// The address split at its "::": the help file's name and the topic path ("/..." form).
struct THelpAddress {
    QString FileName;
    QString Topic;
};
THelpAddress SplitHelpAddress(const QString& address);

class THelpViewer : public QTextBrowser {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget* parent = nullptr);
    ~THelpViewer() override;

    // Shows the topic of the address, opening its help file unless it is the one already open.
    // Raises EInOutError when the file cannot be opened; the viewer then keeps what it showed.
    void OpenAddress(const QString& address);
    // The topic path shown ("/reference/actions.html").
    QString CurrentTopic() const;

    QVariant loadResource(int type, const QUrl& name) override;

    static constexpr const char* Scheme = "chm";

protected:
    // Escape closes the viewer, as it does every dialog of the program.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateTitle();

    std::unique_ptr<TChmFile> File_;
};
