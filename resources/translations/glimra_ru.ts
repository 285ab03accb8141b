<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Glimra program is completely free for you. Please help us spread the word and share this program with your friends and family by using &lt;a href="https://www.orvanta.example/glimra/recommend.html"&gt;&lt;span style="text-decoration: underline; color:#0000ff;"&gt;this recommendation link&lt;/span&gt;&lt;/a&gt;.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Программа Glimra для вас полностью бесплатна. Пожалуйста, помогите нам рассказать о ней и поделитесь программой с друзьями и близкими с помощью &lt;a href="https://www.orvanta.example/glimra/recommend.html"&gt;&lt;span style="text-decoration: underline; color:#0000ff;"&gt;этой рекомендательной ссылки&lt;/span&gt;&lt;/a&gt;.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;If you want to help us to make this program even better, or if  you have any issues or questions, please post them on forum:  &lt;a href="https://www.orvanta.example/forum/forum.php"&gt;&lt;span style="text-decoration: underline; color:#0000ff;"&gt;https://www.orvanta.example/forum/forum.php&lt;/span&gt;&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Если вы хотите помочь нам сделать программу ещё лучше или у вас есть вопросы или проблемы, пишите на форум:  &lt;a href="https://www.orvanta.example/forum/forum.php"&gt;&lt;span style="text-decoration: underline; color:#0000ff;"&gt;https://www.orvanta.example/forum/forum.php&lt;/span&gt;&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>(latest version)</source>
        <translation>(последняя версия)</translation>
    </message>
</context>
<context>
    <name>DownloadManager</name>
    <message>
        <source>Error!</source>
        <translation>Ошибка!</translation>
    </message>
    <message>
        <source>Could not open %1 for writing: %2</source>
        <translation>Не удалось открыть %1 для записи: %2</translation>
    </message>
</context>
<context>
    <name>LibraryFile</name>
    <message>
        <source>The library is larger than %1 MiB.</source>
        <translation>Библиотека больше %1 МиБ.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>MESSAGES</source>
        <translation>СООБЩЕНИЯ</translation>
    </message>
    <message>
        <source>SELECT CATEGORY</source>
        <translation>ВЫБЕРИТЕ КАТЕГОРИЮ</translation>
    </message>
    <message>
        <source>SELECT SUBCATEGORY</source>
        <translation>ВЫБЕРИТЕ ПОДКАТЕГОРИЮ</translation>
    </message>
    <message>
        <source>SELECT MESSAGES</source>
        <translation>ВЫБЕРИТЕ СООБЩЕНИЯ</translation>
    </message>
    <message>
        <source>Add...</source>
        <translation>Добавить...</translation>
    </message>
    <message>
        <source>Edit...</source>
        <translation>Изменить...</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>PICTURES</source>
        <translation>КАРТИНКИ</translation>
    </message>
    <message>
        <source>Check all</source>
        <translation>Отметить все</translation>
    </message>
    <message>
        <source>Uncheck all</source>
        <translation>Снять все</translation>
    </message>
    <message>
        <source>Add picture...</source>
        <translation>Добавить картинку...</translation>
    </message>
    <message>
        <source>SETTINGS</source>
        <translation>НАСТРОЙКИ</translation>
    </message>
    <message>
        <source>Display messages every:</source>
        <translation>Показывать сообщения каждые:</translation>
    </message>
    <message>
        <source>1 sec</source>
        <translation>1 сек</translation>
    </message>
    <message>
        <source>2 sec</source>
        <translation>2 сек</translation>
    </message>
    <message>
        <source>3 sec</source>
        <translation>3 сек</translation>
    </message>
    <message>
        <source>4 sec (recommended)</source>
        <translation>4 сек (рекомендуется)</translation>
    </message>
    <message>
        <source>5 sec</source>
        <translation>5 сек</translation>
    </message>
    <message>
        <source>6 sec</source>
        <translation>6 сек</translation>
    </message>
    <message>
        <source>7 sec</source>
        <translation>7 сек</translation>
    </message>
    <message>
        <source>8 sec</source>
        <translation>8 сек</translation>
    </message>
    <message>
        <source>Message duration:</source>
        <translation>Длительность показа:</translation>
    </message>
    <message>
        <source>10 ms (subconcious)</source>
        <translation>10 мс (подсознательный)</translation>
    </message>
    <message>
        <source>20 ms</source>
        <translation>20 мс</translation>
    </message>
    <message>
        <source>30 ms</source>
        <translation>30 мс</translation>
    </message>
    <message>
        <source>50 ms</source>
        <translation>50 мс</translation>
    </message>
    <message>
        <source>80 ms</source>
        <translation>80 мс</translation>
    </message>
    <message>
        <source>1 sec (for testing)</source>
        <translation>1 сек (тестирование)</translation>
    </message>
    <message>
        <source>Message location:</source>
        <translation>Положение сообщения:</translation>
    </message>
    <message>
        <source>Center of the screen</source>
        <translation>В центре экрана</translation>
    </message>
    <message>
        <source>Top of the screen</source>
        <translation>Вверху экрана</translation>
    </message>
    <message>
        <source>Bottom of the screen</source>
        <translation>Внизу экрана</translation>
    </message>
    <message>
        <source>Random on the screen</source>
        <translation>В случайном месте экрана</translation>
    </message>
    <message>
        <source>Program settings:</source>
        <translation>Настройки программы:</translation>
    </message>
    <message>
        <source>Example</source>
        <translation>Пример</translation>
    </message>
    <message>
        <source>Choose font...</source>
        <translation>Выбрать шрифт...</translation>
    </message>
    <message>
        <source>Choose color...</source>
        <translation>Выбрать цвет...</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Язык:</translation>
    </message>
    <message>
        <source>Russian</source>
        <translation>Русский</translation>
    </message>
    <message>
        <source>Run on startup?</source>
        <translation>Запускать при старте системы?</translation>
    </message>
    <message>
        <source>Minimize to tray</source>
        <translation>Сворачивать в трей</translation>
    </message>
    <message>
        <source>Restore to default</source>
        <translation>По умолчанию</translation>
    </message>
    <message>
        <source>© 2026 Orvanta. All rights reserved.</source>
        <translation>© 2026 Orvanta. Все права защищены.</translation>
    </message>
    <message>
        <source>START</source>
        <translation>ПОЕХАЛИ</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;a href="about"&gt;&lt;span style="text-decoration: none; color:#4949ff;"&gt;About/Help&lt;/span&gt;&lt;/a&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&lt;a href="updates"&gt;&lt;span style="text-decoration: none; color:#4949ff;"&gt;Updates&lt;/span&gt;&lt;/a&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&lt;a href="website"&gt;&lt;span style="text-decoration: none; color:#4949ff;"&gt;Website&lt;/span&gt;&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;a href="about"&gt;&lt;span style="text-decoration: none; color:#4949ff;"&gt;О программе/Помощь&lt;/span&gt;&lt;/a&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&lt;a href="updates"&gt;&lt;span style="text-decoration: none; color:#4949ff;"&gt;Обновления&lt;/span&gt;&lt;/a&gt;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&amp;nbsp;&lt;a href="website"&gt;&lt;span style="text-decoration: none; color:#4949ff;"&gt;Сайт&lt;/span&gt;&lt;/a&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Open Glimra...</source>
        <translation>Открыть Glimra...</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>%1 — flashing</source>
        <translation>%1 — идёт показ</translation>
    </message>
    <message>
        <source>No notification area</source>
        <translation>Нет области уведомлений</translation>
    </message>
    <message>
        <source>This desktop has no notification area for Glimra&apos;s icon, so the window stays in the task bar when closed, and a running session goes on. To quit Glimra, press %1.</source>
        <translation>На этом рабочем столе нет области уведомлений для значка Glimra, поэтому закрытое окно остаётся на панели задач, а начатый показ продолжается. Чтобы выйти из Glimra, нажмите %1.</translation>
    </message>
    <message>
        <source>Error!</source>
        <translation>Ошибка!</translation>
    </message>
    <message>
        <source>There are no messages selected!</source>
        <translation>Не выбраны сообщения!</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>СТОП</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>ПОЕХАЛИ</translation>
    </message>
    <message>
        <source>Custom messages</source>
        <translation>Пользовательские</translation>
    </message>
    <message>
        <source>Cat %1</source>
        <translation>Категория %1</translation>
    </message>
    <message>
        <source>Subcat %1 from cat %2</source>
        <translation>Подкатегория %1 из категории %2</translation>
    </message>
    <message>
        <source>Msg %1 in subcat %2 from cat %3</source>
        <translation>Сообщение %1 в подкатегории %2 из категории %3</translation>
    </message>
    <message>
        <source>Select Image</source>
        <translation>Выберите изображение</translation>
    </message>
    <message>
        <source>All images (*.png *.jpg *.jpeg *.mng *.ico *.gif *.svg *.tga *.tif *.tiff *.wbmp *.bmp)</source>
        <translation>Все изображения (*.png *.jpg *.jpeg *.mng *.ico *.gif *.svg *.tga *.tif *.tiff *.wbmp *.bmp)</translation>
    </message>
    <message>
        <source>Add picture</source>
        <translation>Добавление изображения</translation>
    </message>
    <message>
        <source>The file %1 could not be read as a picture.</source>
        <translation>Не удалось прочитать файл %1 как изображение.</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Обновление</translation>
    </message>
    <message>
        <source>New version %1 of %2 is found!<byte value="xd" />
Do you want to download and install it?</source>
        <translation>Найдена новая версия %1 программы %2!<byte value="xd" />
Загрузить и установить её?</translation>
    </message>
    <message>
        <source>No updates available.</source>
        <translation>Обновлений нет.</translation>
    </message>
    <message>
        <source>This build of %1 does not update itself. Get new versions where you got this one.</source>
        <translation>Эта сборка %1 не обновляется сама. Новые версии берите там же, где взяли эту.</translation>
    </message>
    <message>
        <source>This copy of %1 is updated by your distribution: get new versions through its package manager.</source>
        <translation>Эту копию %1 обновляет ваш дистрибутив: новые версии устанавливайте через его менеджер пакетов.</translation>
    </message>
    <message>
        <source>The library could not be saved to %1:
%2

The file keeps its previous content. Glimra tries again at the next change and when it quits.</source>
        <translation>Не удалось сохранить библиотеку в %1:
%2

Файл сохранил прежнее содержимое. Glimra попробует снова при следующем изменении и при выходе.</translation>
    </message>
    <message>
        <source>The picture could not be stored in %1.</source>
        <translation>Не удалось сохранить картинку в %1.</translation>
    </message>
</context>
<context>
    <name>NewMessageDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Диалог</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>Текст</translation>
    </message>
    <message>
        <source>Subcategory</source>
        <translation>Подкатегория</translation>
    </message>
    <message>
        <source>Enter subcategory name:</source>
        <translation>Введите название подкатегории:</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Сообщение</translation>
    </message>
    <message>
        <source>Enter your message:</source>
        <translation>Введите текст сообщения:</translation>
    </message>
</context>
<context>
    <name>QImageViewerItem</name>
    <message>
        <source>Remove this image</source>
        <translation>Удалить</translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>Update</source>
        <translation>Обновление</translation>
    </message>
    <message>
        <source>%1 update</source>
        <translation>Обновление %1</translation>
    </message>
    <message>
        <source>Current version:</source>
        <translation>Текущая версия:</translation>
    </message>
    <message>
        <source>CURR</source>
        <translation>CURR</translation>
    </message>
    <message>
        <source>Available version:</source>
        <translation>Доступная версия:</translation>
    </message>
    <message>
        <source>AVAIL</source>
        <translation>AVAIL</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>%1 failed verification and was not installed.</source>
        <translation>Файл %1 не прошёл проверку и не был установлен.</translation>
    </message>
    <message>
        <source>Update</source>
        <comment>button</comment>
        <translation>Обновить</translation>
    </message>
</context>
</TS>
