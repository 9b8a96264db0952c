// Prompts answered from a script, recording every question.
#pragma once

#include "app/prompts.h"

#include <QList>

class TScriptedPrompts : public TPrompts {
public:
    QList<bool> YesNoAnswers;
    QList<QStringList> OpenAnswers;
    QList<QString> SaveAnswers;
    QStringList Asked;
    QStringList Errors;
    QStringList Warnings;
    QList<TFileDialogSetup> Dialogs;
    QStringList ProposedNames;

    // How each question was asked: its icon and default button.
    QList<TAskIcon> AskedIcons;
    QList<TAskDefault> AskedDefaults;

    bool askYesNo(const QString &text, TAskIcon icon, TAskDefault defaultButton) override
    {
        Asked << text;
        AskedIcons << icon;
        AskedDefaults << defaultButton;
        return YesNoAnswers.isEmpty() ? false : YesNoAnswers.takeFirst();
    }
    QStringList openFileNames(const TFileDialogSetup &setup) override
    {
        Dialogs << setup;
        return OpenAnswers.isEmpty() ? QStringList() : OpenAnswers.takeFirst();
    }
    QString saveFileName(const TFileDialogSetup &setup, const QString &proposedName) override
    {
        Dialogs << setup;
        ProposedNames << proposedName;
        return SaveAnswers.isEmpty() ? QString() : SaveAnswers.takeFirst();
    }
    // Answers of the folder dialog; nothing left means cancel.
    QList<QString> FolderAnswers;
    QStringList FolderCaptions;
    QString chooseFolder(const QString &caption, const QString &) override
    {
        FolderCaptions << caption;
        return FolderAnswers.isEmpty() ? QString() : FolderAnswers.takeFirst();
    }
    // Answers of the text and pick dialogs; nothing left means cancel.
    QList<QString> TextAnswers;
    QList<QString> PickAnswers;
    QStringList TextsShown;
    QList<QStringList> PickLists;

    std::optional<QString> askText(const QString &text) override
    {
        TextsShown << text;
        if (TextAnswers.isEmpty())
            return std::nullopt;
        return TextAnswers.takeFirst();
    }
    std::optional<QString> pickItem(const QStringList &items) override
    {
        PickLists << items;
        if (PickAnswers.isEmpty())
            return std::nullopt;
        return PickAnswers.takeFirst();
    }
    // Answers of the two import dialogs; nothing left means cancel.
    QList<TTrueTypeOptions> TrueTypeAnswers;
    QList<TCaptureOptions> CaptureAnswers;
    QList<QImage> CapturePictures;
    bool askTrueTypeOptions(TTrueTypeOptions &options) override
    {
        if (TrueTypeAnswers.isEmpty())
            return false;
        options = TrueTypeAnswers.takeFirst();
        return true;
    }
    bool askCaptureGrid(const QImage &picture, TCaptureOptions &options) override
    {
        CapturePictures << picture;
        if (CaptureAnswers.isEmpty())
            return false;
        options = CaptureAnswers.takeFirst();
        return true;
    }
    // Answers of the properties dialog; nothing left means cancel.
    QList<std::vector<TBDFProperty>> PropertyAnswers;
    QList<std::vector<TBDFProperty>> PropertiesShown;
    std::optional<std::vector<TBDFProperty>> askProperties(const std::vector<TBDFProperty> &rows) override
    {
        PropertiesShown << rows;
        if (PropertyAnswers.isEmpty())
            return std::nullopt;
        return PropertyAnswers.takeFirst();
    }
    void showError(const QString &text) override { Errors << text; }
    void showWarning(const QString &text) override { Warnings << text; }
};
