<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>QCommentDialog</name>
    <message>
        <source>Comment</source>
        <translation>Комментарий</translation>
    </message>
    <message>
        <source>Add comment</source>
        <translation>Новый комментарий</translation>
    </message>
    <message>
        <source>View comment</source>
        <translation>Просмотр комментария</translation>
    </message>
    <message>
        <source>Edit comment</source>
        <translation>Изменение комментария</translation>
    </message>
</context>
<context>
    <name>QDocCreator</name>
    <message>
        <source>Save to HTML</source>
        <translation>Сохранить в HTML</translation>
    </message>
    <message>
        <source>HTML documents (*.html)</source>
        <translation>Документы HTML (*.html)</translation>
    </message>
    <message>
        <source>Save to PDF</source>
        <translation>Сохранить в PDF</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>Документы PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Print document</source>
        <translation>Печать документа</translation>
    </message>
</context>
<context>
    <name>QDocCreatorClass</name>
    <message>
        <source>Templates:</source>
        <translation>Шаблоны:</translation>
    </message>
    <message>
        <source>toolBar</source>
        <translation>Панель инструментов</translation>
    </message>
    <message>
        <source>Save to HTML</source>
        <translation>Сохранить в HTML</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Печать</translation>
    </message>
    <message>
        <source>Save to PDF</source>
        <translation>Сохранить в PDF</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Предварительный просмотр</translation>
    </message>
    <message>
        <source>Preview</source>
        <comment>tool bar button</comment>
        <translation>Просмотр</translation>
    </message>
    <message>
        <source>Save to DB</source>
        <translation>Сохранить в базу</translation>
    </message>
</context>
<context>
    <name>QRecentListDialog</name>
    <message>
        <source>Quick search:</source>
        <translation>Быстрый поиск:</translation>
    </message>
</context>
<context>
    <name>QSqlConnection</name>
    <message>
        <source>Internal error </source>
        <translation>Внутренняя ошибка </translation>
    </message>
    <message>
        <source>System can not startup,</source>
        <translation>Система не может запуститься,</translation>
    </message>
</context>
<context>
    <name>QUserInterfaceClass</name>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
</context>
</TS>
