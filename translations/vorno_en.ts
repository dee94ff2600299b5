<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Words</name>
    <message>
        <source>On this Mac</source>
        <translation>On this computer</translation>
    </message>
    <message>
        <source>This removes only recovery copies on this Mac. Cloud processing already started continues. Your original files stay unchanged.</source>
        <translation>This removes only recovery copies on this computer. Cloud processing already started continues. Your original files stay unchanged.</translation>
    </message>
    <message>
        <source>Use your Vorno account on this Mac.</source>
        <translation>Use your Vorno account on this computer.</translation>
    </message>
    <message>
        <source>Stay signed in without Keychain. Login is encrypted for this Mac using Secure Enclave. Drafts stay local, readable by your macOS account.</source>
        <translation>Stay signed in without the keyring. Login is encrypted for this computer using the TPM. Drafts stay local, readable by your user account.</translation>
    </message>
    <message>
        <source>macOS permission</source>
        <translation>Desktop permission</translation>
    </message>
    <message>
        <source>Allowed · macOS may silence delivery</source>
        <translation>Allowed · the desktop may silence delivery</translation>
    </message>
    <message>
        <source>Allow private Mac alerts when the notch is unavailable</source>
        <translation>Allow private desktop alerts when the notch is unavailable</translation>
    </message>
    <message>
        <source>Turn off Mac system alerts</source>
        <translation>Turn off desktop system alerts</translation>
    </message>
    <message>
        <source>Test sent. macOS may silence banners in Focus mode.</source>
        <translation>Test sent. The desktop may silence banners while Do Not Disturb is on.</translation>
    </message>
    <message>
        <source>Could not send. Check vorno in System Settings &gt; Notifications.</source>
        <translation>Could not send. Check vorno in the desktop's notification settings.</translation>
    </message>
    <message>
        <source>Save sends this note to your account. Files stay on this Mac.</source>
        <translation>Save sends this note to your account. Files stay on this computer.</translation>
    </message>
    <message>
        <source>This note exceeds the 4,000-character manual record limit. You can still save the whole draft on this Mac.</source>
        <translation>This note exceeds the 4,000-character manual record limit. You can still save the whole draft on this computer.</translation>
    </message>
    <message>
        <source>Could not securely store or restore your login on this Mac. Your drafts have not been removed.</source>
        <translation>Could not securely store or restore your login on this computer. Your drafts have not been removed.</translation>
    </message>
    <message>
        <source>Signed out on this Mac. The server could not confirm session revocation.</source>
        <translation>Signed out on this computer. The server could not confirm session revocation.</translation>
    </message>
    <message>
        <source>Open Vorno Mac</source>
        <translation>Open Vorno Companion</translation>
    </message>
    <message>
        <source>On this Mac only. Not synced to Vorno.</source>
        <translation>On this computer only. Not synced to Vorno.</translation>
    </message>
    <message>
        <source>Draft saved on this Mac.</source>
        <translation>Draft saved on this computer.</translation>
    </message>
</context>
</TS>
