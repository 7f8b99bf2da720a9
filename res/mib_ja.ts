<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
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
        <source>write: module NAME</source>
        <translation>書式: module NAME</translation>
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
</context>
<context>
    <name>SmiReader</name>
    <message>
        <source>The base module %1 is not on the MIB search path (%2). Debian installs only net-snmp&apos;s own modules; the IETF base modules (SNMPv2-SMI, SNMPv2-TC, SNMPv2-CONF, RFC1155-SMI, RFC-1212, RFC-1215 ...) come with the package snmp-mibs-downloader (non-free: apt install snmp-mibs-downloader, then download-mibs) or with your vendor&apos;s MIB bundle. Name their folder with -M DIR.</source>
        <translation>基本モジュール %1 が MIB 検索パス (%2) にありません。Debian がインストールするのは net-snmp 自身のモジュールだけです。IETF の基本モジュール (SNMPv2-SMI、SNMPv2-TC、SNMPv2-CONF、RFC1155-SMI、RFC-1212、RFC-1215 など) はパッケージ snmp-mibs-downloader (non-free: apt install snmp-mibs-downloader の後 download-mibs) またはベンダーの MIB 一式に含まれています。そのフォルダーを -M DIR で指定してください。</translation>
    </message>
</context>
<context>
    <name>orvelle-mibc</name>
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
  -q                     問題だけを表示し、集計行を表示しない
  -h, --help             この説明

終了ステータス: 0 すべてコンパイルできた、1 何かが失敗した (解析できたものは
出力済み)、2 何も書き出さなかった。
</translation>
    </message>
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
</context>
</TS>
