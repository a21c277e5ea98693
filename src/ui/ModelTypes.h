#pragma once

#include <FileListModel.h>
#include <NotCleanedFilter.h>
#include <TessalyViewModel.h>

#include <QtQml/qqml.h>

// The model layer does not link Qt Qml; its types are made known to QML
// here. Neither can be created from QML: the app makes the one
// TessalyViewModel and hands it to the window as a required property.
struct TessalyViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(TessalyViewModel)
    QML_NAMED_ELEMENT(TessalyViewModel)
    QML_UNCREATABLE("The application creates the one TessalyViewModel")
};

struct FileListModelForeign
{
    Q_GADGET
    QML_FOREIGN(FileListModel)
    QML_NAMED_ELEMENT(FileListModel)
    QML_UNCREATABLE("Read it from TessalyViewModel.files")
};

struct NotCleanedFilterForeign
{
    Q_GADGET
    QML_FOREIGN(NotCleanedFilter)
    QML_NAMED_ELEMENT(NotCleanedFilter)
    QML_UNCREATABLE("Read it from TessalyViewModel.notCleanedFiles")
};
