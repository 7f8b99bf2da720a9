<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name></name>
    <message>
        <source>The port must be a number from %1 to %2.</source>
        <translation>ポートは %1 から %2 までの数値で指定してください。</translation>
    </message>
    <message>
        <source>Please enter the host name or IP address of the device.</source>
        <translation>デバイスのホスト名または IP アドレスを入力してください。</translation>
    </message>
    <message>
        <source>The host &quot;%1&quot; contains a port: please enter the port in the Port field and only the name or address as host.</source>
        <translation>ホスト &quot;%1&quot; にポートが含まれています。ポートは「ポート」欄に入力し、ホストには名前またはアドレスだけを入力してください。</translation>
    </message>
    <message>
        <source>The host &quot;%1&quot; contains blanks.</source>
        <translation>ホスト &quot;%1&quot; に空白が含まれています。</translation>
    </message>
    <message>
        <source>The timeout must be from %1 to %2 seconds.</source>
        <translation>タイムアウトは %1 から %2 秒の範囲で指定してください。</translation>
    </message>
    <message>
        <source>The number of retries must be from %1 to %2.</source>
        <translation>再試行回数は %1 から %2 の範囲で指定してください。</translation>
    </message>
    <message>
        <source>The GETBULK max-repetitions must be from %1 to %2.</source>
        <translation>GETBULK の max-repetitions は %1 から %2 の範囲で指定してください。</translation>
    </message>
    <message>
        <source>Please enter a name for the device profile.</source>
        <translation>デバイスプロファイルの名前を入力してください。</translation>
    </message>
    <message>
        <source>A device profile named &quot;%1&quot; exists already: please choose another name.</source>
        <translation>&quot;%1&quot; という名前のデバイスプロファイルは既にあります。別の名前を指定してください。</translation>
    </message>
    <message>
        <source>The SNMP version must be 1, 2c or 3.</source>
        <translation>SNMP バージョンは 1、2c、3 のいずれかです。</translation>
    </message>
    <message>
        <source>The text encoding &quot;%1&quot; is not known to this system.</source>
        <translation>テキストエンコーディング &quot;%1&quot; はこのシステムでは使えません。</translation>
    </message>
    <message>
        <source>Please enter the SNMPv3 user name.</source>
        <translation>SNMPv3 のユーザー名を入力してください。</translation>
    </message>
    <message>
        <source>The authentication protocol %1 is not supported by the installed net-snmp.</source>
        <translation>認証プロトコル %1 はインストールされている net-snmp では使えません。</translation>
    </message>
    <message>
        <source>The authentication passphrase must have at least %1 characters.</source>
        <translation>認証パスフレーズは %1 文字以上にしてください。</translation>
    </message>
    <message>
        <source>The privacy protocol %1 is not supported by the installed net-snmp.</source>
        <translation>暗号化プロトコル %1 はインストールされている net-snmp では使えません。</translation>
    </message>
    <message>
        <source>The privacy passphrase must have at least %1 characters.</source>
        <translation>暗号化パスフレーズは %1 文字以上にしてください。</translation>
    </message>
    <message>
        <source>The value &quot;%1&quot; of &quot;%2&quot; is not a whole number.</source>
        <translation>&quot;%2&quot; の値 &quot;%1&quot; は整数ではありません。</translation>
    </message>
    <message>
        <source>The port is missing.</source>
        <translation>ポートがありません。</translation>
    </message>
    <message>
        <source>The security level &quot;%1&quot; is not one of noAuthNoPriv, authNoPriv and authPriv.</source>
        <translation>セキュリティレベル &quot;%1&quot; は noAuthNoPriv、authNoPriv、authPriv のいずれでもありません。</translation>
    </message>
    <message>
        <source>The authentication protocol &quot;%1&quot; is not known.</source>
        <translation>認証プロトコル &quot;%1&quot; は不明です。</translation>
    </message>
    <message>
        <source>The privacy protocol &quot;%1&quot; is not known.</source>
        <translation>暗号化プロトコル &quot;%1&quot; は不明です。</translation>
    </message>
    <message>
        <source>The device profiles could not be written to %1: %2</source>
        <translation>デバイスプロファイルを %1 に書き込めませんでした: %2</translation>
    </message>
    <message>
        <source>The file %1 could not be opened: %2</source>
        <translation>ファイル %1 を開けませんでした: %2</translation>
    </message>
    <message>
        <source>The file %1 is too large to be a device profile export.</source>
        <translation>ファイル %1 はデバイスプロファイルのエクスポートとしては大きすぎます。</translation>
    </message>
    <message>
        <source>The file %1 is not a device profile export: %2 at byte %3.</source>
        <translation>ファイル %1 はデバイスプロファイルのエクスポートではありません: %3 バイト目で %2。</translation>
    </message>
    <message>
        <source>The file %1 is not a device profile export.</source>
        <translation>ファイル %1 はデバイスプロファイルのエクスポートではありません。</translation>
    </message>
    <message>
        <source>The file %1 was written by a newer version of Orvelle.</source>
        <translation>ファイル %1 は新しいバージョンの Orvelle で書かれています。</translation>
    </message>
    <message>
        <source>Device profile number %1 in %2 has no name and was skipped.</source>
        <translation>%2 の %1 番目のデバイスプロファイルには名前がないため、読み飛ばしました。</translation>
    </message>
    <message>
        <source>The device profile &quot;%1&quot; in %2 was skipped: %3</source>
        <translation>%2 のデバイスプロファイル &quot;%1&quot; を読み飛ばしました: %3</translation>
    </message>
    <message>
        <source>The device profiles could not be saved to %1.</source>
        <translation>デバイスプロファイルを %1 に保存できませんでした。</translation>
    </message>
    <message>
        <source>There is no device profile named &quot;%1&quot; any more.</source>
        <translation>&quot;%1&quot; という名前のデバイスプロファイルはもうありません。</translation>
    </message>
    <message>
        <source>A device profile named &quot;%1&quot; exists already: the imported one is named &quot;%2&quot;.</source>
        <translation>&quot;%1&quot; という名前のデバイスプロファイルは既にあるため、インポートしたものを &quot;%2&quot; としました。</translation>
    </message>
    <message numerus="yes">
        <source>SNMP request timeout: %1 did not answer within %n second(s).</source>
        <translation>
            <numerusform>SNMP 要求タイムアウト: %1 は %n 秒以内に応答しませんでした。</numerusform>
        </translation>
    </message>
    <message>
        <source>The agent answered with an error: %1 (error index %2).</source>
        <translation>エージェントがエラーを返しました: %1 (エラーインデックス %2)。</translation>
    </message>
</context>
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
    <message>
        <source>Traps received: %L1  Dropped: %L2</source>
        <translation>受信トラップ: %L1  損失: %L2</translation>
    </message>
    <message>
        <source>&amp;Devices...</source>
        <translation>デバイス(&amp;D)...</translation>
    </message>
    <message>
        <source>Add, edit and test device profiles</source>
        <translation>デバイスプロファイルの追加、編集、テスト</translation>
    </message>
    <message>
        <source>MIB M&amp;odules...</source>
        <translation>MIB モジュール(&amp;O)...</translation>
    </message>
    <message>
        <source>List the MIB modules in use, add your own or remove them</source>
        <translation>使用中の MIB モジュールを一覧表示し、独自のモジュールを追加・削除します</translation>
    </message>
    <message>
        <source>&amp;Find Traps...</source>
        <translation>トラップの検索(&amp;F)...</translation>
    </message>
    <message>
        <source>Filter the trap list by text, severity, agent and time; searches the trap journal</source>
        <translation>テキスト、重要度、エージェント、時刻でトラップ一覧を絞り込みます (トラップジャーナルを検索します)</translation>
    </message>
    <message>
        <source>Traps received since the service started, and datagrams that were not listed; click for the reasons</source>
        <translation>サービス開始後に受信したトラップ数と、一覧に載らなかったデータグラム数 (クリックすると理由を表示します)</translation>
    </message>
    <message>
        <source>Trap journal %1 (traps written in this run: %L2)</source>
        <translation>トラップジャーナル %1 (この実行で書き込んだトラップ: %L2 件)</translation>
    </message>
    <message>
        <source>No trap journal: traps are not kept after the program ends</source>
        <translation>トラップジャーナルなし: プログラム終了後はトラップが残りません</translation>
    </message>
</context>
<context>
    <name>CMibWalkDlg</name>
    <message>
        <source>oid</source>
        <translation>OID</translation>
    </message>
    <message>
        <source>Syntax</source>
        <translation>構文</translation>
    </message>
    <message>
        <source>value</source>
        <translation>値</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>説明</translation>
    </message>
    <message>
        <source>Verdana</source>
        <extracomment>Font face of the result list&apos;s cell tips.</extracomment>
        <translation>Verdana</translation>
    </message>
    <message>
        <source>WinSNMP SNMP Open error!</source>
        <translation>SNMP セッションを開けません!</translation>
    </message>
    <message>
        <source>&amp;Object Monitoring</source>
        <translation>オブジェクト監視(&amp;O)</translation>
    </message>
    <message>
        <source>MIB WALK</source>
        <translation>MIB ウォーク</translation>
    </message>
    <message>
        <source>Generate &amp;Log file</source>
        <translation>ログ ファイルを作成する(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Device:</source>
        <translation>デバイス(&amp;D):</translation>
    </message>
    <message>
        <source>Co&amp;mmunity String:</source>
        <translation>コミュニティ名(&amp;M):</translation>
    </message>
    <message>
        <source>&amp;OID:</source>
        <translation>OID(&amp;O):</translation>
    </message>
    <message>
        <source>&amp;Timeout (seconds):</source>
        <translation>タイムアウト (秒)(&amp;T):</translation>
    </message>
    <message>
        <source>Log co&amp;unt:</source>
        <translation>保持する行数(&amp;U):</translation>
    </message>
    <message>
        <source>Get &amp;Next</source>
        <translation>Get Next(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Get</source>
        <translation>Get(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>Sto&amp;p</source>
        <translation>停止(&amp;P)</translation>
    </message>
    <message>
        <source>MIB WALK %1 - Pause</source>
        <translation>MIB ウォーク %1 - 一時停止</translation>
    </message>
    <message>
        <source>MIB WALK %1</source>
        <translation>MIB ウォーク %1</translation>
    </message>
    <message>
        <source>Please enter device name or IP address.</source>
        <translation>デバイス名または IP アドレスを入力してください。</translation>
    </message>
    <message>
        <source>Please enter request OID.</source>
        <translation>要求する OID を入力してください。</translation>
    </message>
    <message>
        <source>Log file open error! file:%1</source>
        <translation>ログ ファイルを開けません! ファイル:%1</translation>
    </message>
    <message>
        <source>Orvelle</source>
        <translation>Orvelle</translation>
    </message>
    <message>
        <source>No data is available</source>
        <translation>データがありません</translation>
    </message>
    <message>
        <source>Unable to open new window for device object monitoring.</source>
        <translation>デバイス オブジェクト監視の新しいウィンドウを開けません。</translation>
    </message>
    <message>
        <source>from the profile</source>
        <translation>プロファイルの設定を使用</translation>
    </message>
    <message>
        <source>SNMPv3 user %1 (%2)</source>
        <translation>SNMPv3 ユーザー %1 (%2)</translation>
    </message>
</context>
<context>
    <name>CMonitorDataFile</name>
    <message>
        <source>Another monitor window or program is writing to this file.</source>
        <translation>別の監視ウィンドウまたはプログラムがこのファイルに書き込んでいます。</translation>
    </message>
</context>
<context>
    <name>CMonitorSettingsDlg</name>
    <message>
        <source>Infinity</source>
        <translation>無期限</translation>
    </message>
    <message>
        <source>10 Minutes</source>
        <translation>10 分</translation>
    </message>
    <message>
        <source>30 Minutes</source>
        <translation>30 分</translation>
    </message>
    <message>
        <source>1 Hour</source>
        <translation>1 時間</translation>
    </message>
    <message>
        <source>2 Hours</source>
        <translation>2 時間</translation>
    </message>
    <message>
        <source>6 Hours</source>
        <translation>6 時間</translation>
    </message>
    <message>
        <source>12 Hours</source>
        <translation>12 時間</translation>
    </message>
    <message>
        <source>24 Hours</source>
        <translation>24 時間</translation>
    </message>
    <message>
        <source>Device Object Monitor</source>
        <translation>デバイス オブジェクト監視</translation>
    </message>
    <message>
        <source>Settings for Monitoring</source>
        <translation>監視の設定</translation>
    </message>
    <message>
        <source>&amp;Graph view</source>
        <translation>グラフを表示する(&amp;G)</translation>
    </message>
    <message>
        <source>&amp;Value</source>
        <translation>値(&amp;V)</translation>
    </message>
    <message>
        <source>Delta from i&amp;nitial value</source>
        <translation>初期値からの差分(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Delta</source>
        <translation>差分(&amp;D)</translation>
    </message>
    <message>
        <source>Save data to file(&amp;F)</source>
        <translation>データをファイルに保存する(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation>参照(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Start time:</source>
        <translation>開始時刻(&amp;S):</translation>
    </message>
    <message>
        <source>Long:</source>
        <translation>期間:</translation>
    </message>
    <message>
        <source>Polling &amp;Interval:</source>
        <translation>ポーリング間隔 (秒)(&amp;I):</translation>
    </message>
    <message>
        <source>Max Histories:</source>
        <translation>履歴の最大数:</translation>
    </message>
    <message>
        <source>Please enter parameters for monitoring selected object.</source>
        <translation>選択したオブジェクトを監視するためのパラメーターを入力してください。</translation>
    </message>
    <message>
        <source>Target OID:</source>
        <translation>対象 OID:</translation>
    </message>
    <message>
        <source>Save data to file</source>
        <translation>データをファイルに保存</translation>
    </message>
</context>
<context>
    <name>CMonitorWnd</name>
    <message>
        <source>Verdana</source>
        <extracomment>Font face of the monitor windows&apos; text.</extracomment>
        <translation>Verdana</translation>
    </message>
    <message>
        <source>&amp;Close object monitoring</source>
        <translation>オブジェクト監視を閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Pause/restart object monitoring </source>
        <translation>オブジェクト監視の一時停止/再開(&amp;P) </translation>
    </message>
    <message>
        <source>Orvelle</source>
        <translation>Orvelle</translation>
    </message>
    <message>
        <source>File Open error!</source>
        <translation>ファイルを開けません!</translation>
    </message>
    <message>
        <source>%1: %2
Monitoring goes on without saving the samples.</source>
        <translation>%1: %2
サンプルを保存せずに監視を続けます。</translation>
    </message>
    <message>
        <source>Unable to write to the data file %1: %2
Monitoring goes on without saving the samples.</source>
        <translation>データ ファイル %1 に書き込めません: %2
サンプルを保存せずに監視を続けます。</translation>
    </message>
    <message>
        <source>SNMP request timeout occured.<byte value="xd"/>
Monitoring window will be terminated.</source>
        <translation>SNMP 要求がタイムアウトしました。<byte value="xd"/>
監視ウィンドウを終了します。</translation>
    </message>
    <message>
        <source>Unable to open SNMP service.<byte value="xd"/>
Please verify device name.</source>
        <translation>SNMP サービスを開始できません。<byte value="xd"/>
デバイス名を確認してください。</translation>
    </message>
    <message>
        <source>Received SNMP error.<byte value="xd"/>
Monitoring window will be terminated.</source>
        <translation>SNMP エラーを受信しました。<byte value="xd"/>
監視ウィンドウを終了します。</translation>
    </message>
    <message>
        <source>%1Day(s) %2H %3 %4sec.</source>
        <translation>%1日 %2時間 %3分 %4秒</translation>
    </message>
    <message>
        <source>Target Device: %1</source>
        <translation>対象デバイス: %1</translation>
    </message>
    <message>
        <source>Target OID(s): </source>
        <translation>対象 OID: </translation>
    </message>
    <message>
        <source>%1 Current Value: %2</source>
        <translation>%1 現在値: %2</translation>
    </message>
    <message>
        <source>%m/%d/%Y %H:%M:%S</source>
        <translation>%Y/%m/%d %H:%M:%S</translation>
    </message>
    <message>
        <source>Start Time %1 Elapsed: %2<byte value="xd"/>
Sampling count: %3<byte value="xd"/>
</source>
        <translation>開始時刻 %1 経過時間: %2<byte value="xd"/>
サンプリング回数: %3<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>Max=%1</source>
        <translation>最大=%1</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 (%2) at %3</source>
        <translation>%3 で %1 (%2)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
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
    <message>
        <source>Unable to initialize WinSNMP</source>
        <translation>SNMP スタックを初期化できません</translation>
    </message>
    <message>
        <source>Save data to file</source>
        <translation>データをファイルに保存</translation>
    </message>
    <message>
        <source>File Open error!</source>
        <translation>ファイルを開けません!</translation>
    </message>
    <message>
        <source>Unable to write the file %1: %2</source>
        <translation>ファイル %1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>%1

Traps are listed but not kept after the program ends, and the filter bar searches only the list.</source>
        <translation>%1

トラップは一覧に表示されますが、プログラム終了後は残りません。フィルタバーは一覧の中だけを検索します。</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>検索中…</translation>
    </message>
    <message>
        <source>No trap matches</source>
        <translation>一致するトラップはありません</translation>
    </message>
    <message>
        <source>Matching traps: the newest %L1</source>
        <translation>一致したトラップ: 新しい %L1 件</translation>
    </message>
    <message>
        <source>Matching traps: %L1</source>
        <translation>一致したトラップ: %L1 件</translation>
    </message>
</context>
<context>
    <name>CSnmpSession</name>
    <message>
        <source>Unable to receive traps on UDP port %1: %2
Another program already uses this port (a system snmptrapd often holds port 162). Stop that program, or choose another port with the trap_port setting in DATA/Config.xml.</source>
        <translation>UDP ポート %1 でトラップを受信できません: %2
このポートは既に別のプログラムが使用しています (ポート 162 はシステムの snmptrapd が使用していることがよくあります)。そのプログラムを停止するか、DATA/Config.xml の trap_port 設定で別のポートを選んでください。</translation>
    </message>
    <message>
        <source>Unable to register for traps on UDP port %1: %2</source>
        <translation>UDP ポート %1 でトラップの受信を登録できません: %2</translation>
    </message>
    <message>
        <source>Unable to open UDP port %1 on %2 for traps: %3
Check the address, or choose another port with the trap_port setting in DATA/Config.xml.</source>
        <translation>トラップ用に %2 の UDP ポート %1 を開けません: %3
アドレスを確認するか、DATA/Config.xml の trap_port 設定で別のポートを選んでください。</translation>
    </message>
    <message>
        <source>Unable to receive traps: %1 is not a valid UDP port. Choose a port from 1 to 65535 with the trap_port setting in DATA/Config.xml.</source>
        <translation>トラップを受信できません: %1 は有効な UDP ポートではありません。DATA/Config.xml の trap_port 設定で 1 から 65535 までのポートを選んでください。</translation>
    </message>
    <message>
        <source>Unable to receive traps on UDP port %1: %2
Ports below 1024 can only be opened by root or by a program with the capability cap_net_bind_service (for example: sudo setcap cap_net_bind_service=+ep %3). Grant it, or choose a port of 1024 or above with the trap_port setting in DATA/Config.xml.</source>
        <translation>UDP ポート %1 でトラップを受信できません: %2
1024 未満のポートは、root またはケーパビリティ cap_net_bind_service を持つプログラムだけが開けます (例: sudo setcap cap_net_bind_service=+ep %3)。権限を与えるか、DATA/Config.xml の trap_port 設定で 1024 以上のポートを選んでください。</translation>
    </message>
</context>
<context>
    <name>CSnmpSetDlg</name>
    <message>
        <source>SNMP SET Request</source>
        <translation>SNMP SET 要求</translation>
    </message>
    <message>
        <source>Target Device:</source>
        <translation>対象デバイス:</translation>
    </message>
    <message>
        <source>&amp;Submit</source>
        <translation>送信(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>Community String(Write):</source>
        <translation>コミュニティ名 (書き込み):</translation>
    </message>
    <message>
        <source>OID:</source>
        <translation>OID:</translation>
    </message>
    <message>
        <source>Syntax:</source>
        <translation>構文:</translation>
    </message>
    <message>
        <source>32-bit signed integer</source>
        <translation>32 ビット符号付き整数</translation>
    </message>
    <message>
        <source>32-bit unsigned integer</source>
        <translation>32 ビット符号なし整数</translation>
    </message>
    <message>
        <source>octet string variable</source>
        <translation>オクテット文字列</translation>
    </message>
    <message>
        <source>object identifier</source>
        <translation>オブジェクト識別子</translation>
    </message>
    <message>
        <source>32-bit Internet address</source>
        <translation>32 ビット インターネット アドレス</translation>
    </message>
    <message>
        <source>Value:</source>
        <translation>値:</translation>
    </message>
    <message>
        <source>WinSNMP SNMP Open error!</source>
        <translation>SNMP セッションを開けません!</translation>
    </message>
    <message>
        <source>This object is not defined as &quot;write enable&apos; object.<byte value="xd"/>
Enter necessay information to operate SET request.<byte value="xd"/>
</source>
        <translation>このオブジェクトは書き込み可能なオブジェクトとして定義されていません。<byte value="xd"/>
SET 要求に必要な情報を入力してください。<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>The value &quot;%1&quot; is not a decimal number.
Enter a number from %2 to %3.</source>
        <translation>値「%1」は 10 進数ではありません。
%2 から %3 までの数を入力してください。</translation>
    </message>
    <message>
        <source>The value %1 is outside the range of a 32-bit unsigned integer.
Enter a number from %2 to %3.</source>
        <translation>値 %1 は 32 ビット符号なし整数の範囲外です。
%2 から %3 までの数を入力してください。</translation>
    </message>
    <message>
        <source>The value %1 is outside the range of a 32-bit signed integer.
Enter a number from %2 to %3.</source>
        <translation>値 %1 は 32 ビット符号付き整数の範囲外です。
%2 から %3 までの数を入力してください。</translation>
    </message>
    <message>
        <source>Invalid IP Address format.<byte value="xd"/>
Use &quot;xxx.xxx.xxx.xxx&quot;<byte value="xd"/>
</source>
        <translation>IP アドレスの形式が正しくありません。<byte value="xd"/>
&quot;xxx.xxx.xxx.xxx&quot; の形式で入力してください。<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>SNMP SET request has been sent.</source>
        <translation>SNMP SET 要求を送信しました。</translation>
    </message>
    <message>
        <source>Orvelle</source>
        <translation>Orvelle</translation>
    </message>
    <message>
        <source>SNMP SET succeeded; the agent returned no variable.</source>
        <translation>SNMP SET に成功しました。エージェントは変数を返しませんでした。</translation>
    </message>
    <message>
        <source>SNMP SET succeeded: %1 = %2</source>
        <translation>SNMP SET に成功しました: %1 = %2</translation>
    </message>
    <message>
        <source>unknown error status</source>
        <translation>不明なエラーステータス</translation>
    </message>
    <message>
        <source>SNMP SET failed: %1 (%2); the agent named no variable (error index %3).</source>
        <translation>SNMP SET に失敗しました: %1 (%2)。エージェントは変数を示しませんでした (エラーインデックス %3)。</translation>
    </message>
    <message>
        <source>SNMP SET failed: %1 (%2) at variable %3: %4</source>
        <translation>SNMP SET に失敗しました: 変数 %3 (%4) で %1 (%2)</translation>
    </message>
    <message>
        <source>No answer from %1 within %2 seconds: check the device name, the write community and that the agent allows SET.</source>
        <translation>%1 から %2 秒以内に応答がありません。デバイス名、書き込みコミュニティ、およびエージェントが SET を許可しているかを確認してください。</translation>
    </message>
    <message>
        <source>from the profile</source>
        <translation>プロファイルの設定を使用</translation>
    </message>
    <message>
        <source>SNMPv3 user %1 (%2)</source>
        <translation>SNMPv3 ユーザー %1 (%2)</translation>
    </message>
    <message>
        <source>The values the MIB defines for this object</source>
        <translation>MIB がこのオブジェクトに定義している値</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a value of %2, which takes %3.</source>
        <translation>&quot;%1&quot; は %2 の値ではありません。%2 が取る値: %3。</translation>
    </message>
</context>
<context>
    <name>CTrapActionRunner</name>
    <message>
        <source>Unable to start the trap action program %1: %2</source>
        <translation>トラップアクションのプログラム %1 を起動できません: %2</translation>
    </message>
    <message>
        <source>Trap actions not run because too many were waiting: %L1</source>
        <translation>待ち行列があふれたため実行しなかったトラップアクション: %L1</translation>
    </message>
</context>
<context>
    <name>CXMLRead</name>
    <message>
        <source>%1 (line %2)</source>
        <translation>%1 (%2 行目)</translation>
    </message>
    <message>
        <source>%1: %2 (line %3)</source>
        <translation>%1: %2 (%3 行目)</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>cannot open: %1</source>
        <translation>開けません: %1</translation>
    </message>
    <message>
        <source>the document element is not &lt;config&gt;</source>
        <translation>ルート要素が &lt;config&gt; ではありません</translation>
    </message>
    <message>
        <source>max_rows is &quot;%1&quot;; it must be a whole number from %2 to %3</source>
        <translation>max_rows が &quot;%1&quot; です。%2 から %3 までの整数を指定してください</translation>
    </message>
    <message>
        <source>trap_port is &quot;%1&quot;; it must be a whole number from %2 to %3</source>
        <translation>trap_port が &quot;%1&quot; です。%2 から %3 までの整数を指定してください</translation>
    </message>
    <message>
        <source>unknown setting &lt;%1&gt;</source>
        <translation>不明な設定項目 &lt;%1&gt;</translation>
    </message>
    <message>
        <source>no DATA folder found; looked in: %1. Set ORVELLE_DATA_DIR to the folder holding MIBTable.xml and Config.xml.</source>
        <translation>DATA フォルダーが見つかりません。探した場所: %1。MIBTable.xml と Config.xml のあるフォルダーを ORVELLE_DATA_DIR に設定してください。</translation>
    </message>
    <message>
        <source>XML database load error:%1</source>
        <translation>XML データベース読み込みエラー:%1</translation>
    </message>
    <message>
        <source>Your MIB database could not be read: %1. The bundled database is used instead. Add your modules again in Tools &gt; MIB Modules to rebuild it.</source>
        <translation>MIB データベースを読み込めませんでした: %1。代わりに同梱のデータベースを使います。[ツール] &gt; [MIB モジュール] でモジュールを追加し直すと再作成されます。</translation>
    </message>
    <message>
        <source>%1 is &quot;%2&quot;; it must be a whole number from %3 to %4</source>
        <translation>%1 が &quot;%2&quot; です。%3 から %4 までの整数を指定してください</translation>
    </message>
    <message>
        <source>%1 is &quot;%2&quot;; it must be udp or tcp</source>
        <translation>%1 が &quot;%2&quot; です。udp または tcp を指定してください</translation>
    </message>
</context>
<context>
    <name>DeviceProfileTexts</name>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>ホスト</translation>
    </message>
    <message>
        <source>Version</source>
        <extracomment>column of the device list: SNMP version 1, 2c or 3</extracomment>
        <translation>バージョン</translation>
    </message>
    <message>
        <source>The host &quot;%1&quot; does not resolve to an address (%2). Please check the name.</source>
        <translation>ホスト &quot;%1&quot; のアドレスが見つかりません (%2)。名前を確認してください。</translation>
    </message>
</context>
<context>
    <name>DevicesDialog</name>
    <message>
        <source>Device profiles (*.json)</source>
        <translation>デバイスプロファイル (*.json)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>デバイス</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>追加(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>編集(&amp;E)...</translation>
    </message>
    <message>
        <source>&amp;Copy...</source>
        <translation>コピー(&amp;C)...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Test</source>
        <translation>テスト(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Import...</source>
        <translation>インポート(&amp;I)...</translation>
    </message>
    <message>
        <source>E&amp;xport...</source>
        <translation>エクスポート(&amp;X)...</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>閉じる(&amp;L)</translation>
    </message>
    <message>
        <source>Delete the device profile &quot;%1&quot;?</source>
        <translation>デバイスプロファイル &quot;%1&quot; を削除しますか?</translation>
    </message>
    <message>
        <source>%1 cannot be tested: %2</source>
        <translation>%1 をテストできません: %2</translation>
    </message>
    <message>
        <source>Asking %1 (%2) for sysDescr and sysObjectID...</source>
        <translation>%1 (%2) に sysDescr と sysObjectID を問い合わせています...</translation>
    </message>
    <message>
        <source>%1 answered.
sysDescr: %2
sysObjectID: %3</source>
        <translation>%1 が応答しました。
sysDescr: %2
sysObjectID: %3</translation>
    </message>
    <message>
        <source>%1 did not answer as asked: %2</source>
        <translation>%1 から期待した応答がありません: %2</translation>
    </message>
    <message>
        <source>Import Device Profiles</source>
        <translation>デバイスプロファイルのインポート</translation>
    </message>
    <message numerus="yes">
        <source>%n device profile(s) imported.</source>
        <translation>
            <numerusform>%n 件のデバイスプロファイルをインポートしました。</numerusform>
        </translation>
    </message>
    <message>
        <source>The file holds no communities or passphrases: edit the imported profiles to enter them.</source>
        <translation>ファイルにはコミュニティもパスフレーズも含まれません。インポートしたプロファイルを編集して入力してください。</translation>
    </message>
    <message>
        <source>Export Device Profiles</source>
        <translation>デバイスプロファイルのエクスポート</translation>
    </message>
    <message>
        <source>Engine ID of this receiver (for SNMPv3 informs):</source>
        <translation>この受信側のエンジン ID (SNMPv3 インフォーム用):</translation>
    </message>
    <message>
        <source>No keyring runs, so the passphrases of these SNMPv3 profiles are not known and their SNMPv3 traps and informs are not received: %1. Edit a profile and enter its passphrases to receive them until Orvelle ends.</source>
        <translation>キーリングが動作していないため、次の SNMPv3 プロファイルのパスフレーズが分からず、その SNMPv3 トラップとインフォームを受信できません: %1。プロファイルを編集してパスフレーズを入力すると、Orvelle を終了するまで受信できます。</translation>
    </message>
</context>
<context>
    <name>DroppedWindow</name>
    <message>
        <source>Dropped Datagrams</source>
        <translation>破棄されたデータグラム</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>理由</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>件数</translation>
    </message>
    <message>
        <source>Last sender</source>
        <translation>最後の送信元</translation>
    </message>
    <message>
        <source>Trap journal could not keep up (not stored)</source>
        <translation>トラップジャーナルの書き込みが追いつかない (保存されず)</translation>
    </message>
    <message>
        <source>Not SNMP</source>
        <translation>SNMP ではない</translation>
    </message>
    <message>
        <source>Bad BER encoding</source>
        <translation>BER 符号化の誤り</translation>
    </message>
    <message>
        <source>Unsupported SNMP version</source>
        <translation>未対応の SNMP バージョン</translation>
    </message>
    <message>
        <source>Unknown SNMPv3 user or engine ID</source>
        <translation>不明な SNMPv3 ユーザーまたはエンジン ID</translation>
    </message>
    <message>
        <source>Authentication failure (wrong digest)</source>
        <translation>認証失敗 (ダイジェスト不一致)</translation>
    </message>
    <message>
        <source>Decryption failure</source>
        <translation>復号失敗</translation>
    </message>
    <message>
        <source>Not in time window, or replayed</source>
        <translation>時間ウィンドウ外、または再送 (リプレイ)</translation>
    </message>
    <message>
        <source>Socket buffer overflow in the kernel</source>
        <translation>カーネルのソケットバッファあふれ</translation>
    </message>
    <message>
        <source>Queue overflow (reading could not keep up)</source>
        <translation>キューあふれ (読み込みが追いつかない)</translation>
    </message>
    <message>
        <source>Not forwarded (collector queue full, or refused)</source>
        <translation>転送されず (コレクタへのキューが満杯、または拒否)</translation>
    </message>
</context>
<context>
    <name>FactsReader</name>
    <message>
        <source>%1: cannot open: %2</source>
        <translation>%1: 開けません: %2</translation>
    </message>
    <message>
        <source>an indented line without a definition above it</source>
        <translation>上に定義のない字下げ行です</translation>
    </message>
    <message>
        <source>enumerations are written label(number), separated by blanks</source>
        <translation>列挙は label(number) の形で空白で区切って書きます</translation>
    </message>
    <message>
        <source>unknown field &quot;%1&quot; (en:, ja: or enum:)</source>
        <translation>不明なフィールド &quot;%1&quot; (en:、ja:、enum: のいずれか)</translation>
    </message>
    <message>
        <source>write: tc NAME BASE-TYPE [hint=...]</source>
        <translation>書式: tc NAME BASE-TYPE [hint=...]</translation>
    </message>
    <message>
        <source>unknown attribute &quot;%1&quot;</source>
        <translation>不明な属性 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>unknown definition &quot;%1&quot;</source>
        <translation>不明な定義 &quot;%1&quot;</translation>
    </message>
    <message>
        <source>a definition before the first &quot;module&quot; line</source>
        <translation>最初の &quot;module&quot; 行より前に定義があります</translation>
    </message>
    <message>
        <source>write: %1 NAME OID [attribute=value ...]</source>
        <translation>書式: %1 NAME OID [attribute=value ...]</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an OID: use dotted numbers or a name defined above, such as system.1</source>
        <translation>&quot;%1&quot; は OID ではありません。ドット区切りの数字か、上で定義した名前 (system.1 など) を使ってください</translation>
    </message>
    <message>
        <source>unknown syntax &quot;%1&quot;: a base type or a tc defined above</source>
        <translation>不明な構文 &quot;%1&quot;。基本型か上で定義した tc を指定してください</translation>
    </message>
    <message>
        <source>unknown access &quot;%1&quot;</source>
        <translation>不明なアクセス &quot;%1&quot;</translation>
    </message>
    <message>
        <source>severity is 1 (informational), 2 (minor) or 3 (major)</source>
        <translation>重要度は 1 (informational)、2 (minor)、3 (major) のいずれかです</translation>
    </message>
    <message>
        <source>an object needs syntax=</source>
        <translation>オブジェクトには syntax= が必要です</translation>
    </message>
    <message>
        <source>write: module NAME [smi=v1]</source>
        <translation>書式: module NAME [smi=v1]</translation>
    </message>
    <message>
        <source>ranges are written 1..3|5</source>
        <translation>範囲は 1..3|5 のように書きます</translation>
    </message>
</context>
<context>
    <name>FileTypes</name>
    <message>
        <source>*.csv (csv Files)|*.csv|*.txt (txt Files)|*.txt|*.* (All Files)|*.*|</source>
        <translation>*.csv (csv ファイル)|*.csv|*.txt (txt ファイル)|*.txt|*.* (すべてのファイル)|*.*|</translation>
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
    <name>MessageBox</name>
    <message>
        <source>Orvelle</source>
        <translation>Orvelle</translation>
    </message>
</context>
<context>
    <name>MibCompiler</name>
    <message>
        <source>%1: cannot open: %2</source>
        <translation>%1: 開けません: %2</translation>
    </message>
    <message>
        <source>%1:%2: write NAME-or-OID, a blank, then the value</source>
        <translation>%1:%2: 名前または OID、空白、値の順に書いてください</translation>
    </message>
    <message>
        <source>%1: not a MIB module (no &quot;NAME DEFINITIONS ::= BEGIN&quot;)</source>
        <translation>%1: MIB モジュールではありません (&quot;NAME DEFINITIONS ::= BEGIN&quot; がありません)</translation>
    </message>
    <message>
        <source>%1: no such file or folder</source>
        <translation>%1: ファイルまたはフォルダーがありません</translation>
    </message>
    <message>
        <source>%1:%2: severity &quot;%3&quot; is not 1/informational, 2/minor or 3/major</source>
        <translation>%1:%2: 重要度 &quot;%3&quot; は 1/informational、2/minor、3/major のいずれでもありません</translation>
    </message>
    <message>
        <source>%1:%2: %3 is not defined by the compiled modules</source>
        <translation>%1:%2: %3 はコンパイルしたモジュールで定義されていません</translation>
    </message>
    <message>
        <source>nothing could be compiled; %1 was not written</source>
        <translation>何もコンパイルできなかったため、%1 は書き出していません</translation>
    </message>
    <message>
        <source>%1: cannot write: %2</source>
        <translation>%1: 書き込めません: %2</translation>
    </message>
    <message>
        <source>%1 and %2 both define the module %3: add one of them</source>
        <translation>%1 と %2 がどちらもモジュール %3 を定義しています。どちらか一方だけを追加してください</translation>
    </message>
    <message>
        <source>%1: %2 redefines %3::%2, which is %4 in the database, as %5</source>
        <translation>%1: %2 は、データベースで %4 である %3::%2 を %5 として定義し直しています</translation>
    </message>
    <message>
        <source>%1: %2 takes the OID %3, which is %4::%5 in the database</source>
        <translation>%1: %2 は OID %3 を使っていますが、データベースではこれは %4::%5 です</translation>
    </message>
    <message>
        <source>nothing was merged; %1 was not written</source>
        <translation>何もマージしていません。%1 は書き出していません</translation>
    </message>
</context>
<context>
    <name>MibDocument</name>
    <message>
        <source>an &lt;oid&gt; element has no key</source>
        <translation>&lt;oid&gt; 要素に key がありません</translation>
    </message>
    <message>
        <source>the key &quot;%1&quot; is not a dotted number</source>
        <translation>key &quot;%1&quot; がドット区切りの数字ではありません</translation>
    </message>
    <message>
        <source>an enumeration value is not a 32-bit integer</source>
        <translation>列挙値が 32 ビット整数ではありません</translation>
    </message>
    <message>
        <source>&lt;write&gt; must hold a number from 1 to 5</source>
        <translation>&lt;write&gt; には 1 から 5 までの数字が必要です</translation>
    </message>
    <message>
        <source>&lt;severity&gt; must hold a number from 0 to 3</source>
        <translation>&lt;severity&gt; には 0 から 3 までの数字が必要です</translation>
    </message>
    <message>
        <source>the &lt;oid&gt; element with key &quot;%1&quot; has no name</source>
        <translation>key &quot;%1&quot; の &lt;oid&gt; 要素に name がありません</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>%1 を開けません: %2</translation>
    </message>
    <message>
        <source>the document element is not &lt;mib_table&gt;</source>
        <translation>ルート要素が &lt;mib_table&gt; ではありません</translation>
    </message>
    <message>
        <source>the OIDs nest deeper than %1 sub-identifiers</source>
        <translation>OID の入れ子がサブ識別子 %1 個を超えています</translation>
    </message>
    <message>
        <source>a &lt;range&gt; needs min and max, min not above max</source>
        <translation>&lt;range&gt; には min と max が必要です (min は max 以下)</translation>
    </message>
    <message>
        <source>written by a newer version of Orvelle (format %1; this one reads %2)</source>
        <translation>新しいバージョンの Orvelle で書かれています (形式 %1。このバージョンが読めるのは %2)</translation>
    </message>
</context>
<context>
    <name>MibModuleStore</name>
    <message>
        <source>This file is not a MIB module: it has no &quot;NAME DEFINITIONS ::= BEGIN&quot;.</source>
        <translation>このファイルは MIB モジュールではありません (&quot;NAME DEFINITIONS ::= BEGIN&quot; がありません)。</translation>
    </message>
    <message>
        <source>No MIB module was found here.</source>
        <translation>ここには MIB モジュールが見つかりませんでした。</translation>
    </message>
    <message>
        <source>orvelle-mibc, the MIB compiler, was not found beside the program or on PATH.</source>
        <translation>MIB コンパイラー orvelle-mibc がプログラムと同じ場所にも PATH 上にも見つかりません。</translation>
    </message>
    <message>
        <source>The folder of your MIB database could not be created.</source>
        <translation>MIB データベースのフォルダーを作成できませんでした。</translation>
    </message>
    <message>
        <source>orvelle-mibc could not be started: %1</source>
        <translation>orvelle-mibc を起動できませんでした: %1</translation>
    </message>
    <message>
        <source>The module file could not be kept in your MIB folder.</source>
        <translation>モジュールファイルを MIB フォルダーに保存できませんでした。</translation>
    </message>
    <message>
        <source>orvelle-mibc stopped unexpectedly.</source>
        <translation>orvelle-mibc が異常終了しました。</translation>
    </message>
    <message>
        <source>orvelle-mibc failed (exit status %1).</source>
        <translation>orvelle-mibc が失敗しました (終了ステータス %1)。</translation>
    </message>
    <message>
        <source>The module file could not be moved out of your MIB folder.</source>
        <translation>モジュールファイルを MIB フォルダーから移動できませんでした。</translation>
    </message>
    <message>
        <source>Your MIB database could not be kept aside before adding modules to it.</source>
        <translation>モジュールを追加する前に MIB データベースを退避できませんでした。</translation>
    </message>
</context>
<context>
    <name>MibModulesDialog</name>
    <message>
        <source>MIB Modules</source>
        <translation>MIB モジュール</translation>
    </message>
    <message>
        <source>Module</source>
        <translation>モジュール</translation>
    </message>
    <message>
        <source>Last revision</source>
        <translation>最終改訂</translation>
    </message>
    <message>
        <source>Objects</source>
        <translation>オブジェクト</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>通知</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>入手元</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Problem</source>
        <translation>問題</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>追加(&amp;A)...</translation>
    </message>
    <message>
        <source>Add &amp;Folder...</source>
        <translation>フォルダーを追加(&amp;F)...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>削除(&amp;R)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>user</source>
        <translation>ユーザー</translation>
    </message>
    <message>
        <source>bundled</source>
        <translation>同梱</translation>
    </message>
    <message>
        <source>Add MIB modules</source>
        <translation>MIB モジュールの追加</translation>
    </message>
    <message>
        <source>MIB modules (*.txt *.mib *.my *.smi);;All files (*)</source>
        <translation>MIB モジュール (*.txt *.mib *.my *.smi);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Add every MIB module of a folder</source>
        <translation>フォルダー内の MIB モジュールをすべて追加</translation>
    </message>
    <message>
        <source>Compiling...</source>
        <translation>コンパイル中...</translation>
    </message>
    <message>
        <source>Take the module %1 out of your MIB database?</source>
        <translation>モジュール %1 を MIB データベースから削除しますか?</translation>
    </message>
    <message>
        <source>Removing %1...</source>
        <translation>%1 を削除中...</translation>
    </message>
    <message>
        <source>Compiling %1 (%2 of %3)...</source>
        <translation>%1 をコンパイル中 (%3 個中 %2 個目)...</translation>
    </message>
    <message>
        <source>Your MIB database was updated; it is in use now.</source>
        <translation>MIB データベースを更新しました。すでに使用中です。</translation>
    </message>
    <message>
        <source>Your MIB database was updated, with the warnings below.</source>
        <translation>MIB データベースを更新しました (下の警告があります)。</translation>
    </message>
    <message>
        <source>Nothing was changed: see the problems below.</source>
        <translation>何も変更していません。下の問題を確認してください。</translation>
    </message>
</context>
<context>
    <name>ProfileDialog</name>
    <message>
        <source>%1 (not available here)</source>
        <translation>%1 (この環境では使用不可)</translation>
    </message>
    <message>
        <source>New Device Profile</source>
        <translation>新しいデバイスプロファイル</translation>
    </message>
    <message>
        <source>Device Profile %1</source>
        <translation>デバイスプロファイル %1</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>名前(&amp;N):</translation>
    </message>
    <message>
        <source>&amp;Host:</source>
        <translation>ホスト(&amp;H):</translation>
    </message>
    <message>
        <source>&amp;Port:</source>
        <translation>ポート(&amp;P):</translation>
    </message>
    <message>
        <source>SNMP &amp;version:</source>
        <translation>SNMP バージョン(&amp;V):</translation>
    </message>
    <message>
        <source>&amp;Read community:</source>
        <translation>読み取りコミュニティ(&amp;R):</translation>
    </message>
    <message>
        <source>&amp;Write community:</source>
        <translation>書き込みコミュニティ(&amp;W):</translation>
    </message>
    <message>
        <source>&amp;Timeout (seconds):</source>
        <translation>タイムアウト (秒)(&amp;T):</translation>
    </message>
    <message>
        <source>Retr&amp;ies:</source>
        <translation>再試行回数(&amp;I):</translation>
    </message>
    <message>
        <source>GETBULK &amp;max-repetitions:</source>
        <translation>GETBULK max-repetitions(&amp;M):</translation>
    </message>
    <message>
        <source>Text &amp;encoding:</source>
        <translation>テキストエンコーディング(&amp;E):</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>ユーザー名(&amp;U):</translation>
    </message>
    <message>
        <source>Security &amp;level:</source>
        <translation>セキュリティレベル(&amp;L):</translation>
    </message>
    <message>
        <source>&amp;Authentication protocol:</source>
        <translation>認証プロトコル(&amp;A):</translation>
    </message>
    <message>
        <source>Authentication pa&amp;ssphrase:</source>
        <translation>認証パスフレーズ(&amp;S):</translation>
    </message>
    <message>
        <source>P&amp;rivacy protocol:</source>
        <translation>暗号化プロトコル(&amp;R):</translation>
    </message>
    <message>
        <source>Privac&amp;y passphrase:</source>
        <translation>暗号化パスフレーズ(&amp;Y):</translation>
    </message>
    <message>
        <source>&amp;Context name:</source>
        <translation>コンテキスト名(&amp;C):</translation>
    </message>
    <message>
        <source>Communities</source>
        <translation>コミュニティ</translation>
    </message>
    <message>
        <source>SNMPv3 user-based security</source>
        <translation>SNMPv3 ユーザーベースセキュリティ</translation>
    </message>
    <message>
        <source>Requests</source>
        <translation>要求</translation>
    </message>
    <message>
        <source>Looking up %1...</source>
        <translation>%1 を検索しています...</translation>
    </message>
</context>
<context>
    <name>RangeSpinBox</name>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>%1 から %2 までの整数を入力してください。</translation>
    </message>
</context>
<context>
    <name>SecretsPromptDialog</name>
    <message>
        <source>No secret store (Secret Service or KWallet) can be used: %1
Communities and passphrases of device profiles are not saved. Orvelle asks for them when a device is first used and keeps them in memory until it ends.</source>
        <translation>シークレットストア (Secret Service または KWallet) を使用できません: %1
デバイスプロファイルのコミュニティとパスフレーズは保存されません。Orvelle はデバイスを最初に使うときにそれらを尋ね、終了するまでメモリー上にだけ保持します。</translation>
    </message>
    <message>
        <source>Secrets of %1</source>
        <translation>%1 のシークレット</translation>
    </message>
    <message>
        <source>Enter the secrets of the device profile &quot;%1&quot; (%2). They are kept in memory until Orvelle ends.</source>
        <translation>デバイスプロファイル &quot;%1&quot; (%2) のシークレットを入力してください。Orvelle が終了するまでメモリー上にだけ保持されます。</translation>
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
    <name>SmiReader</name>
    <message>
        <source> (add the file of module %1 too, or name its folder with -M)</source>
        <translation> (モジュール %1 のファイルも追加するか、そのフォルダーを -M で指定してください)</translation>
    </message>
</context>
<context>
    <name>SnmpError</name>
    <message>
        <source>VIVARuz: Memory allocation error</source>
        <translation>VIVARuz: Memory allocation error</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid context</source>
        <translation>VIVARuz: Invalid context</translation>
    </message>
    <message>
        <source>VIVARuz: Unknown context parameter</source>
        <translation>VIVARuz: Unknown context parameter</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid entity parameter</source>
        <translation>VIVARuz: エンティティ パラメーターが無効です</translation>
    </message>
    <message>
        <source>VIVARuz: Unknown entity parameter</source>
        <translation>VIVARuz: Unknown entity parameter</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid VBL index parameter</source>
        <translation>VIVARuz: Invalid VBL index parameter</translation>
    </message>
    <message>
        <source>VIVARuz: No operation performed.</source>
        <translation>VIVARuz: No operation performed.</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid OID Parameter</source>
        <translation>VIVARuz: Invalid OID Parameter</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid/unsupported operation</source>
        <translation>VIVARuz: Invalid/unsupported operation</translation>
    </message>
    <message>
        <source>VIVARuz: Insufficient output buf len</source>
        <translation>VIVARuz: Insufficient output buf len</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid PDU parameter.</source>
        <translation>VIVARuz: Invalid PDU parameter.</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid session parameter.</source>
        <translation>VIVARuz: Invalid session parameter.</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid syntax in smiVALUE</source>
        <translation>VIVARuz: Invalid syntax in smiVALUE</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid VBL parameter</source>
        <translation>VIVARuz: Invalid VBL parameter</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid mode parameter.</source>
        <translation>VIVARuz: Invalid mode parameter.</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid size/length parameter.</source>
        <translation>VIVARuz: Invalid size/length parameter.</translation>
    </message>
    <message>
        <source>VIVARuz: SnmpStartup failed/not called.</source>
        <translation>VIVARuz: SnmpStartup failed/not called.</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid SNMP message format.</source>
        <translation>VIVARuz: Invalid SNMP message format.</translation>
    </message>
    <message>
        <source>VIVARuz: Invalid Window handle.</source>
        <translation>VIVARuz: Invalid Window handle.</translation>
    </message>
    <message>
        <source>VIVARuz: For internal/undefined errors.</source>
        <translation>VIVARuz: For internal/undefined errors.</translation>
    </message>
    <message>
        <source>VIVARuz: Transport layer is not initialized.</source>
        <translation>VIVARuz: Transport layer is not initialized.</translation>
    </message>
    <message>
        <source>VIVARuz: Transport layer does not support protocol,</source>
        <translation>VIVARuz: Transport layer does not support protocol,</translation>
    </message>
    <message>
        <source>VIVARuz: network subsystem failure.</source>
        <translation>VIVARuz: network subsystem failure.</translation>
    </message>
    <message>
        <source>VIVARuz: Translaport layer resource error.</source>
        <translation>VIVARuz: Translaport layer resource error.</translation>
    </message>
    <message>
        <source>VIVARuz: Transport layer undeliverable.</source>
        <translation>VIVARuz: Transport layer undeliverable.</translation>
    </message>
    <message>
        <source>VIVARuz: Transport layer source endpoint invalid.</source>
        <translation>VIVARuz: Transport layer source endpoint invalid.</translation>
    </message>
    <message>
        <source>VIVAruz: Transport layer Input parameter invalid.</source>
        <translation>VIVAruz: Transport layer Input parameter invalid.</translation>
    </message>
    <message>
        <source>VIVARuz: Transport layer source endpoint is in use.</source>
        <translation>VIVARuz: Transport layer source endpoint is in use.</translation>
    </message>
    <message>
        <source>VIVARuz: Transport layer receive timeout.</source>
        <translation>VIVARuz: Transport layer receive timeout.</translation>
    </message>
    <message>
        <source>VIVARuz: PDU too big for send/receive</source>
        <translation>VIVARuz: PDU too big for send/receive</translation>
    </message>
    <message>
        <source>VIVARuz: Transport layer undefined error.</source>
        <translation>VIVARuz: Transport layer undefined error.</translation>
    </message>
    <message>
        <source>VIVARuz: Unknown error.</source>
        <translation>VIVARuz: Unknown error.</translation>
    </message>
</context>
<context>
    <name>SnmpErrorStatus</name>
    <message>
        <source>no error</source>
        <translation>no error</translation>
    </message>
    <message>
        <source>too big</source>
        <translation>too big</translation>
    </message>
    <message>
        <source>no such name</source>
        <translation>no such name</translation>
    </message>
    <message>
        <source>bad value</source>
        <translation>bad value</translation>
    </message>
    <message>
        <source>read-only</source>
        <translation>read-only</translation>
    </message>
    <message>
        <source>generic error</source>
        <translation>generic error</translation>
    </message>
    <message>
        <source>no access</source>
        <translation>no access</translation>
    </message>
    <message>
        <source>wrong type</source>
        <translation>wrong type</translation>
    </message>
    <message>
        <source>wrong length</source>
        <translation>wrong length</translation>
    </message>
    <message>
        <source>wrong encoding</source>
        <translation>wrong encoding</translation>
    </message>
    <message>
        <source>wrong value</source>
        <translation>wrong value</translation>
    </message>
    <message>
        <source>no creation</source>
        <translation>no creation</translation>
    </message>
    <message>
        <source>inconsistent value</source>
        <translation>inconsistent value</translation>
    </message>
    <message>
        <source>resource unavailable</source>
        <translation>resource unavailable</translation>
    </message>
    <message>
        <source>commit failed</source>
        <translation>commit failed</translation>
    </message>
    <message>
        <source>undo failed</source>
        <translation>undo failed</translation>
    </message>
    <message>
        <source>authorization error</source>
        <translation>authorization error</translation>
    </message>
    <message>
        <source>not writable</source>
        <translation>not writable</translation>
    </message>
    <message>
        <source>inconsistent name</source>
        <translation>inconsistent name</translation>
    </message>
</context>
<context>
    <name>SnmpWalker</name>
    <message>
        <source>Host not found: %1</source>
        <translation>ホストが見つかりません: %1</translation>
    </message>
    <message>
        <source>
Received an error SNMP data from remote agent: %1 (%2)<byte value="xd"/>
oid &apos;%3&apos;</source>
        <translation>
リモート エージェントからエラーの SNMP データを受信しました: %1 (%2)<byte value="xd"/>
oid &apos;%3&apos;</translation>
    </message>
    <message>
        <source>The agent answered GET NEXT for %1 with %2, which does not follow it: the walk stops here.</source>
        <translation>エージェントは %1 に対する GET NEXT に %2 で応答しましたが、これは %1 より後の OID ではありません。ウォークをここで終了します。</translation>
    </message>
    <message>
        <source>The agent answered GETBULK for %1 with no variables: the walk stops here.</source>
        <translation>エージェントは %1 に対する GETBULK に変数なしで応答しました。ウォークをここで終了します。</translation>
    </message>
    <message>
        <source>The agent answered GETBULK with %1 variables where at most %2 were asked for: the walk stops after the first %2.</source>
        <translation>エージェントは最大 %2 個を要求した GETBULK に %1 個の変数で応答しました。最初の %2 個でウォークを終了します。</translation>
    </message>
    <message>
        <source>The agent answered GETBULK for %1 with %2, which does not follow it: the walk stops here.</source>
        <translation>エージェントは %1 に対する GETBULK に、その後に続かない %2 で応答しました。ウォークをここで終了します。</translation>
    </message>
    <message>
        <source>The agent answered GETBULK with %1 for %2: the walk stops here.</source>
        <translation>エージェントは GETBULK に %2 の %1 で応答しました。ウォークをここで終了します。</translation>
    </message>
    <message>
        <source>SNMP request timeout! oid &apos;%1&apos;</source>
        <translation>SNMP 要求がタイムアウトしました! oid &apos;%1&apos;</translation>
    </message>
    <message>
        <source>An agent that cannot decrypt a request stays silent: check the privacy passphrase and protocol (%1) of user &quot;%2&quot; too.</source>
        <translation>要求を復号できないエージェントは応答しません。ユーザー &quot;%2&quot; の暗号化パスフレーズとプロトコル (%1) も確認してください。</translation>
    </message>
    <message>
        <source>The agent %1 does not know the user &quot;%2&quot;. Check the user name in the device profile and the agent&apos;s SNMPv3 users.</source>
        <translation>エージェント %1 はユーザー &quot;%2&quot; を知りません。デバイスプロファイルのユーザー名とエージェントの SNMPv3 ユーザーを確認してください。</translation>
    </message>
    <message>
        <source>The agent %1 refused the authentication of user &quot;%2&quot;. Check the authentication passphrase and protocol (%3).</source>
        <translation>エージェント %1 はユーザー &quot;%2&quot; の認証を拒否しました。認証パスフレーズとプロトコル (%3) を確認してください。</translation>
    </message>
    <message>
        <source>The agent %1 could not decrypt the request of user &quot;%2&quot;. Check the privacy passphrase and protocol (%3).</source>
        <translation>エージェント %1 はユーザー &quot;%2&quot; の要求を復号できませんでした。暗号化パスフレーズとプロトコル (%3) を確認してください。</translation>
    </message>
    <message>
        <source>The agent %1 does not accept user &quot;%2&quot; at the security level %3. Check the level in the device profile against the agent&apos;s configuration.</source>
        <translation>エージェント %1 はセキュリティレベル %3 のユーザー &quot;%2&quot; を受け付けません。デバイスプロファイルのレベルをエージェントの設定と照らし合わせてください。</translation>
    </message>
    <message>
        <source>The agent %1 found the request of user &quot;%2&quot; outside its time window. Try again; if it persists, check the agent&apos;s clock and engine boots.</source>
        <translation>エージェント %1 はユーザー &quot;%2&quot; の要求を時間枠外と判断しました。もう一度試してください。続く場合はエージェントの時刻と engine boots を確認してください。</translation>
    </message>
    <message>
        <source>The agent %1 did not recognise the engine ID the request of user &quot;%2&quot; carried (the agent may have been replaced or reset). Try again to discover it anew.</source>
        <translation>エージェント %1 はユーザー &quot;%2&quot; の要求のエンジン ID を認識しませんでした (エージェントが交換またはリセットされた可能性があります)。もう一度試すとエンジン ID を新たに取得します。</translation>
    </message>
    <message>
        <source>The agent %1 refused the request of user &quot;%2&quot; with a report (%3).</source>
        <translation>エージェント %1 はユーザー &quot;%2&quot; の要求をレポート (%3) で拒否しました。</translation>
    </message>
    <message>
        <source>no variables</source>
        <translation>変数なし</translation>
    </message>
</context>
<context>
    <name>TrapAction</name>
    <message>
        <source>%m/%d/%Y %H:%M:%S</source>
        <translation>%m/%d/%Y %H:%M:%S</translation>
    </message>
</context>
<context>
    <name>TrapFilterBar</name>
    <message>
        <source>&amp;Find:</source>
        <translation>検索(&amp;F):</translation>
    </message>
    <message>
        <source>Agent, community, description, OID, name or value</source>
        <translation>エージェント、コミュニティ、説明、OID、名前、値</translation>
    </message>
    <message>
        <source>Every word must appear; &quot;quotes&quot; keep words together. The search covers the trap journal, so it finds traps the list no longer holds.</source>
        <translation>すべての語を含むトラップを探します。&quot;引用符&quot; で囲むと語をまとめて扱います。トラップジャーナルを検索するので、一覧から消えたトラップも見つかります。</translation>
    </message>
    <message>
        <source>Se&amp;verity:</source>
        <translation>重要度(&amp;V):</translation>
    </message>
    <message>
        <source>All</source>
        <translation>すべて</translation>
    </message>
    <message>
        <source>A&amp;gent:</source>
        <translation>エージェント(&amp;G):</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>アドレス</translation>
    </message>
    <message>
        <source>F&amp;rom</source>
        <translation>開始(&amp;R)</translation>
    </message>
    <message>
        <source>Only traps received at or after this time</source>
        <translation>この時刻以降に受信したトラップのみ</translation>
    </message>
    <message>
        <source>&amp;To</source>
        <translation>終了(&amp;T)</translation>
    </message>
    <message>
        <source>Only traps received at or before this time</source>
        <translation>この時刻までに受信したトラップのみ</translation>
    </message>
    <message>
        <source>Close the filter bar and show every trap again (Esc)</source>
        <translation>フィルタバーを閉じ、すべてのトラップを再表示します (Esc)</translation>
    </message>
</context>
<context>
    <name>TrapForwarder</name>
    <message>
        <source>Connecting to the syslog collector %1 (%2)</source>
        <translation>syslog コレクタ %1 (%2) に接続しています</translation>
    </message>
    <message>
        <source>Traps are not forwarded to the syslog collector %1: the forwarding thread could not be started</source>
        <translation>トラップは syslog コレクタ %1 に転送されません: 転送スレッドを開始できませんでした</translation>
    </message>
    <message numerus="yes">
        <source>Syslog collector %1 (%2) not found: %3. Check &lt;forward&gt; in Config.xml; trying again in %n s.</source>
        <translation>
            <numerusform>syslog コレクタ %1 (%2) が見つかりません: %3。Config.xml の &lt;forward&gt; を確認してください。%n 秒後に再試行します。</numerusform>
        </translation>
    </message>
    <message>
        <source>Forwarding traps to the syslog collector %1 (%2)</source>
        <translation>トラップを syslog コレクタ %1 (%2) に転送しています</translation>
    </message>
    <message numerus="yes">
        <source>Syslog collector %1 (%2) unreachable: %3. Trying again in %n s.</source>
        <translation>
            <numerusform>syslog コレクタ %1 (%2) に到達できません: %3。%n 秒後に再試行します。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Syslog collector %1 (%2) closed the connection. Connecting again in %n s.</source>
        <translation>
            <numerusform>syslog コレクタ %1 (%2) が接続を閉じました。%n 秒後に再接続します。</numerusform>
        </translation>
    </message>
    <message>
        <source>Syslog collector %1 (%2) unreachable: %3</source>
        <translation>syslog コレクタ %1 (%2) に到達できません: %3</translation>
    </message>
</context>
<context>
    <name>TrapJournal</name>
    <message>
        <source>out of memory</source>
        <translation>メモリ不足</translation>
    </message>
    <message>
        <source>Trap journal %1: %2: %3</source>
        <translation>トラップジャーナル %1: %2: %3</translation>
    </message>
    <message>
        <source>Trap journal %1: cannot create the folder %2</source>
        <translation>トラップジャーナル %1: フォルダ %2 を作成できません</translation>
    </message>
    <message>
        <source>cannot open</source>
        <translation>開けません</translation>
    </message>
    <message>
        <source>cannot read</source>
        <translation>読み込めません</translation>
    </message>
    <message>
        <source>Trap journal %1: written by a newer version of Orvelle (format %2); this one reads format %3</source>
        <translation>トラップジャーナル %1: 新しいバージョンの Orvelle で書かれています (形式 %2)。このバージョンが読めるのは形式 %3 です</translation>
    </message>
    <message>
        <source>cannot set up</source>
        <translation>初期化できません</translation>
    </message>
    <message>
        <source>cannot open for reading</source>
        <translation>読み込み用に開けません</translation>
    </message>
    <message>
        <source>cannot write</source>
        <translation>書き込めません</translation>
    </message>
    <message>
        <source>cannot delete old traps</source>
        <translation>古いトラップを削除できません</translation>
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
    <message numerus="yes">
        <source>… (%n characters)</source>
        <translation>
            <numerusform>… (%n 文字)</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 (from an earlier run)</source>
        <translation>%1 (前回までの実行で受信)</translation>
    </message>
</context>
<context>
    <name>ValueCheck</name>
    <message>
        <source>%1 is not a value of %2, which takes %3.</source>
        <translation>%1 は %2 の値ではありません。%2 が取る値: %3。</translation>
    </message>
    <message>
        <source>%1 is outside the range of %2 (%3).</source>
        <translation>%1 は %2 の範囲 (%3) の外です。</translation>
    </message>
    <message>
        <source>The value is 1 octet long; %1 takes %2 octets.</source>
        <translation>値の長さは 1 オクテットです。%1 が取る長さは %2 オクテットです。</translation>
    </message>
    <message>
        <source>The value is %3 octets long; %1 takes %2 octets.</source>
        <translation>値の長さは %3 オクテットです。%1 が取る長さは %2 オクテットです。</translation>
    </message>
</context>
<context>
    <name>orvelle-mibc</name>
    <message>
        <source>orvelle-mibc: %1 needs a value
</source>
        <translation>orvelle-mibc: %1 には値が必要です
</translation>
    </message>
    <message>
        <source>orvelle-mibc: --default-severity is 1, 2 or 3
</source>
        <translation>orvelle-mibc: --default-severity は 1、2、3 のいずれかです
</translation>
    </message>
    <message>
        <source>orvelle-mibc: unknown option %1 (see --help)
</source>
        <translation>orvelle-mibc: 不明なオプション %1 (--help を参照)
</translation>
    </message>
    <message>
        <source>%1: %2 objects, %3 notifications from %4 modules
</source>
        <translation>%1: オブジェクト %2 個、通知 %3 個 (モジュール %4 個)
</translation>
    </message>
    <message numerus="yes">
        <source>orvelle-mibc: %n module(s) did not compile cleanly:</source>
        <translation>
            <numerusform>orvelle-mibc: %n 個のモジュールを正しくコンパイルできませんでした:</numerusform>
        </translation>
    </message>
    <message>
        <source>Usage: orvelle-mibc [options] INPUT...
Compiles MIB modules into the MIB database of Orvelle (MIBTable.xml).

INPUT is a MIB module file (SMIv1 or SMIv2), a folder of module files, or a
facts file (*.facts). Every module of a folder is compiled.

Options:
  -M DIR[:DIR...]        folders searched for imported modules (may repeat;
                         default: %1)
  -o FILE                output file (default: MIBTable.xml)
  --severity FILE        severity overrides: lines &quot;NAME-or-OID SEVERITY&quot;
                         (1 informational, 2 minor, 3 major)
  --ja FILE              Japanese descriptions: lines &quot;NAME-or-OID TEXT&quot;
  --default-severity N   severity of notifications without a --#SEVERITY
                         hint (default: 2, minor)
  --base FILE            merge into this MIBTable.xml: the input modules replace
                         its definitions of the same modules; nothing is
                         written unless every module compiles cleanly
  --progress             print &quot;progress N/M MODULE&quot; before each module
  --write-facts FILE     write the definitions of the input modules as facts
                         (no descriptions) instead of MIBTable.xml
  --builtin [MODULE]     list the built-in modules (used for imports that are
                         not on the search path), or print one as SMI text
  -q                     print problems only, no summary
  -h, --help             this text

Exit status: 0 everything compiled, 1 something failed (the output still holds
what could be parsed), 2 nothing was written.
</source>
        <translation>使い方: orvelle-mibc [オプション] INPUT...
MIB モジュールを Orvelle の MIB データベース (MIBTable.xml) にコンパイルします。

INPUT は MIB モジュールのファイル (SMIv1 または SMIv2)、モジュールのあるフォルダー、
またはファクトファイル (*.facts) です。フォルダーのモジュールはすべてコンパイルします。

オプション:
  -M DIR[:DIR...]        インポートされるモジュールを探すフォルダー (複数回指定可。
                         既定値: %1)
  -o FILE                出力ファイル (既定値: MIBTable.xml)
  --severity FILE        重要度の上書き: &quot;名前またはOID 重要度&quot; の行
                         (1 informational、2 minor、3 major)
  --ja FILE              日本語の説明: &quot;名前またはOID 説明文&quot; の行
  --default-severity N   --#SEVERITY ヒントのない通知の重要度
                         (既定値: 2、minor)
  --base FILE            この MIBTable.xml にマージする: 入力モジュールは同じ
                         モジュールの定義を置き換える。すべてのモジュールが
                         問題なくコンパイルできたときだけ書き出す
  --progress             各モジュールの前に &quot;progress N/M MODULE&quot; を表示する
  --write-facts FILE     MIBTable.xml の代わりに、入力モジュールの定義を
                         ファクト (説明なし) として書き出す
  --builtin [MODULE]     組み込みモジュール (検索パスにないインポートに使う) を
                         一覧表示する。モジュール名を指定すると SMI テキストで表示する
  -q                     問題だけを表示し、集計行を表示しない
  -h, --help             この説明

終了ステータス: 0 すべてコンパイルできた、1 何かが失敗した (解析できたものは
出力済み)、2 何も書き出さなかった。
</translation>
    </message>
    <message>
        <source>orvelle-mibc: %1 is not a built-in module
</source>
        <translation>orvelle-mibc: %1 は組み込みモジュールではありません
</translation>
    </message>
</context>
</TS>
