<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Words</name>
    <message>
        <source>Sign in</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Checking encouragement preferences…</source>
        <translation>Einstellungen werden geprüft…</translation>
    </message>
</context>
<context>
    <name>Elsewhere</name>
    <message>
        <source>Sign out</source>
        <translation>Abmelden</translation>
    </message>
</context>
</TS>
