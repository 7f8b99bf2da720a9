<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
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
</TS>
