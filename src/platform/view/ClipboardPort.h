#pragma once

#include <QImage>
#include <QString>

namespace id {

// The clipboard as the program uses it: plain text in and out. The program uses the system
// clipboard; tests and automation may hand it one of their own.
class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
    // A picture replaces whatever the clipboard held.
    virtual QImage image() const = 0;
    virtual void setImage(const QImage& image) = 0;
};

// The system clipboard.
class SystemClipboard : public ClipboardPort {
public:
    QString text() const override;
    void setText(const QString& text) override;
    QImage image() const override;
    void setImage(const QImage& image) override;
};

// A clipboard that only this program sees.
class MemoryClipboard : public ClipboardPort {
public:
    QString text() const override { return text_; }
    void setText(const QString& text) override {
        text_ = text;
        image_ = QImage();
    }
    QImage image() const override { return image_; }
    void setImage(const QImage& image) override {
        image_ = image;
        text_.clear();
    }

private:
    QString text_;
    QImage image_;
};

} // namespace id
