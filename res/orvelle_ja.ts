<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Orvelle</source>
        <translation>Orvelle のバージョン情報</translation>
    </message>
    <message>
        <source>SNMP manager: trap receiver, MIB walker, SNMP SET and object monitor.</source>
        <translation>SNMP マネージャー: トラップ受信、MIB ウォーク、SNMP SET、オブジェクト監視</translation>
    </message>
    <message>
        <source>Copyright (C) 2026 Halvorn</source>
        <translation>Copyright (C) 2026 Halvorn</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Obtain the latest MIB database</source>
        <translation>最新の MIB データベースを入手(&amp;O)</translation>
    </message>
    <message>
        <source>Orvelle Version %1</source>
        <translation>Orvelle バージョン %1</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>&amp;New</source>
        <translation>新規(&amp;N)</translation>
    </message>
    <message>
        <source>Create a new document
New</source>
        <translation>新しいドキュメントを作成します
新規</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>名前を付けて保存(&amp;A)...</translation>
    </message>
    <message>
        <source>Save the active document with a new name
Save As</source>
        <translation>アクティブなドキュメントに名前を付けて保存します
名前を付けて保存</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save documents
Exit</source>
        <translation>アプリケーションを終了します
終了</translation>
    </message>
    <message>
        <source>Hide or Show main Window</source>
        <translation>メイン ウィンドウの表示/非表示</translation>
    </message>
    <message>
        <source>Show or Hide main Window
Show/Hide</source>
        <translation>メイン ウィンドウを表示または非表示にします
表示/非表示</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>開始(&amp;S)</translation>
    </message>
    <message>
        <source>Start or Stop SNMP Trap Receive service</source>
        <translation>SNMP トラップ受信サービスを開始または停止します</translation>
    </message>
    <message>
        <source>MIB &amp;Walk</source>
        <translation>MIB ウォーク(&amp;W)</translation>
    </message>
    <message>
        <source>Launch MIB walker</source>
        <translation>MIB ウォーカーを起動します</translation>
    </message>
    <message>
        <source>S&amp;NMP SET</source>
        <translation>SNMP SET(&amp;N)</translation>
    </message>
    <message>
        <source>Send SNMP SET request</source>
        <translation>SNMP SET 要求を送信します</translation>
    </message>
    <message>
        <source>Show &amp;monitoring data</source>
        <translation>監視データを表示(&amp;M)</translation>
    </message>
    <message>
        <source>Show all active object monitoring window</source>
        <translation>動作中のすべてのオブジェクト監視ウィンドウを表示します</translation>
    </message>
    <message>
        <source>&amp;Hide monitoring data</source>
        <translation>監視データを隠す(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;User Guide</source>
        <translation>ユーザーガイド(&amp;U)</translation>
    </message>
    <message>
        <source>View User Guide
View User Guide</source>
        <translation>ユーザーガイドを表示します
ユーザーガイド</translation>
    </message>
    <message>
        <source>&amp;About Orvelle...</source>
        <translation>Orvelle のバージョン情報(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Main Dialog</source>
        <translation>メイン ダイアログ(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>バージョン情報(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>ツール(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>CAP</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>SCRL</source>
        <translation>SCRL</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>準備完了</translation>
    </message>
    <message>
        <source>No system tray is available: Hide or Show main Window minimises the window instead of hiding it.</source>
        <translation>システム トレイがありません: [メイン ウィンドウの表示/非表示] はウィンドウを隠す代わりに最小化します。</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>停止(&amp;S)</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <comment>window caption: document title - program name</comment>
        <translation>%1 - %2</translation>
    </message>
    <message>
        <source>Orvelle</source>
        <translation>Orvelle</translation>
    </message>
    <message>
        <source>Orvelle - Trap receive service is running</source>
        <translation>Orvelle - トラップ受信サービス実行中</translation>
    </message>
    <message>
        <source>Orvelle - Trap receive service is not running</source>
        <translation>Orvelle - トラップ受信サービス停止中</translation>
    </message>
    <message>
        <source>%m/%d/%Y %H:%M:%S</source>
        <translation>%Y/%m/%d %H:%M:%S</translation>
    </message>
</context>
<context>
    <name>COrvelleView</name>
    <message>
        <source>Verdana</source>
        <extracomment>Font family of the empty-list hint</extracomment>
        <translation>IPAGothic</translation>
    </message>
    <message>
        <source>Orvelle - Trap receive service is not running</source>
        <translation>Orvelle - トラップ受信サービス停止中</translation>
    </message>
    <message>
        <source>Orvelle - Trap receive service is running</source>
        <translation>Orvelle - トラップ受信サービス実行中</translation>
    </message>
    <message>
        <source>To start or Stop the Trap receive service, select Start/Stop from Tool Menu.<byte value="xd"/>
</source>
        <translation>トラップ受信サービスを開始または停止するには、[ツール] メニューの [開始/停止] を選択してください。<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Orvelle</source>
        <translation>Orvelle</translation>
    </message>
</context>
<context>
    <name>HelpLauncher</name>
    <message>
        <source>Unable to launch default browser.<byte value="xd"/>
or File is not existing.</source>
        <translation>既定のブラウザーを起動できないか、<byte value="xd"/>
ファイルが存在しません。</translation>
    </message>
    <message>
        <source>Orvelle</source>
        <translation>Orvelle</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Cannot create the lock file %1.</source>
        <translation>ロック ファイル %1 を作成できません。</translation>
    </message>
</context>
<context>
    <name>TrapListModel</name>
    <message>
        <source>Informational</source>
        <translation>情報</translation>
    </message>
    <message>
        <source>Minor</source>
        <translation>軽度</translation>
    </message>
    <message>
        <source>Major</source>
        <translation>重度</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>不明</translation>
    </message>
    <message>
        <source>%y-%d-%b %H:%M:%S %A</source>
        <translation>%Y/%m/%d %H:%M:%S %A</translation>
    </message>
    <message>
        <source>Date/Time</source>
        <translation>日時</translation>
    </message>
    <message>
        <source>oid / Severity</source>
        <translation>OID / 重要度</translation>
    </message>
    <message>
        <source>Source Agent/OID</source>
        <translation>送信元エージェント/OID</translation>
    </message>
    <message>
        <source>Syntax/Context</source>
        <translation>構文/コンテキスト</translation>
    </message>
    <message>
        <source>Value/Description</source>
        <translation>値/説明</translation>
    </message>
</context>
</TS>
