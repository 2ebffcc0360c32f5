#include "controls/graphic.h"

#include <QFile>

namespace kordalt {

void TGraphic::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open file \"" + fileName.toStdString() + "\". " +
                                 file.errorString().toStdString());
    LoadFromStream(file);
}

void TGraphic::SaveToFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("Cannot create file \"" + fileName.toStdString() + "\". " +
                                 file.errorString().toStdString());
    SaveToStream(file);
}

void TGraphic::Assign(const TGraphic* source) {
    if (!source || !source->AssignTo(*this)) AssignError(source);
}

void TGraphic::AssignError(const TGraphic* source) const {
    throw EConvertError(std::string("Cannot assign a ") + (source ? source->ClassName() : "nil") + " to a " +
                        ClassName());
}

}  // namespace kordalt
