#pragma once

#include <QString>
#include <exception>
#include <string>

// The one error base of the system. Operations that the user can see fail throw a subclass of
// this; `description()` is the user-facing text (already localised where the caller asked).
class TaviError : public std::exception {
public:
    TaviError(QString domain, int code, QString description)
        : domain_(std::move(domain)), code_(code), description_(std::move(description)),
          what_(description_.toStdString()) {}

    const QString& domain() const noexcept { return domain_; }
    int code() const noexcept { return code_; }
    virtual QString description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    QString domain_;
    int code_;
    QString description_;
    std::string what_;
};
