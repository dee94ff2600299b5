<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Words</name>
    <message>
        <source>Review files</source>
        <translation>Dateien prüfen</translation>
    </message>
    <message>
        <source>Finish or clear this collection before adding more files.</source>
        <translation>Schließe diese Sammlung ab oder leere sie, bevor du weitere Dateien hinzufügst.</translation>
    </message>
    <message>
        <source>Open collection results</source>
        <translation>Ergebnisse der Sammlung öffnen</translation>
    </message>
    <message>
        <source>Recent work</source>
        <translation>Letzte Arbeit</translation>
    </message>
    <message>
        <source>View all work</source>
        <translation>Alle Arbeit ansehen</translation>
    </message>
    <message>
        <source>Work date unknown</source>
        <translation>Datum der Arbeit unbekannt</translation>
    </message>
    <message>
        <source>Collect work</source>
        <translation>Arbeit sammeln</translation>
    </message>
    <message>
        <source>Resume collection</source>
        <translation>Sammlung fortsetzen</translation>
    </message>
    <message>
        <source>Organizing work</source>
        <translation>Arbeit wird geordnet</translation>
    </message>
    <message>
        <source>Work collected</source>
        <translation>Arbeit gesammelt</translation>
    </message>
    <message>
        <source>No work found in this file</source>
        <translation>In dieser Datei wurde keine Arbeit gefunden</translation>
    </message>
    <message>
        <source>Could not finish this file</source>
        <translation>Diese Datei konnte nicht abgeschlossen werden</translation>
    </message>
    <message>
        <source>Part of this file was collected. Open the web for the full result.</source>
        <translation>Ein Teil dieser Datei wurde gesammelt. Das vollständige Ergebnis steht im Web.</translation>
    </message>
    <message>
        <source>Transferring file</source>
        <translation>Datei wird übertragen</translation>
    </message>
    <message>
        <source>On this Mac</source>
        <translation>Auf diesem Computer</translation>
    </message>
    <message>
        <source>Before uploading</source>
        <translation>Vor dem Hochladen</translation>
    </message>
    <message>
        <source>Could not connect. Your files have not been removed.</source>
        <translation>Keine Verbindung. Deine Dateien wurden nicht entfernt.</translation>
    </message>
    <message>
        <source>This collection needs Pro. Your existing work is unchanged.</source>
        <translation>Diese Sammlung braucht Pro. Deine bisherige Arbeit bleibt unverändert.</translation>
    </message>
    <message>
        <source>Choose a supported file, up to 20 MB.</source>
        <translation>Wähle eine unterstützte Datei mit höchstens 20 MB.</translation>
    </message>
    <message>
        <source>Clear local queue</source>
        <translation>Lokale Warteschlange leeren</translation>
    </message>
    <message>
        <source>This removes only recovery copies on this Mac. Cloud processing already started continues. Your original files stay unchanged.</source>
        <translation>Das entfernt nur die Wiederherstellungskopien auf diesem Computer. Bereits begonnene Verarbeitung in der Cloud läuft weiter. Deine Originaldateien bleiben unverändert.</translation>
    </message>
    <message>
        <source>Sign in</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Sign out</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Use your Vorno account on this Mac.</source>
        <translation>Nutze dein Vorno-Konto auf diesem Computer.</translation>
    </message>
    <message>
        <source>Stay signed in without Keychain. Login is encrypted for this Mac using Secure Enclave. Drafts stay local, readable by your macOS account.</source>
        <translation>Angemeldet bleiben ohne Schlüsselbund. Die Anmeldung wird für diesen Computer mit dem TPM verschlüsselt. Entwürfe bleiben lokal, lesbar für dein Benutzerkonto.</translation>
    </message>
    <message>
        <source>AI encouragement preferences · Pro</source>
        <translation>Einstellungen für KI-Ermutigung · Pro</translation>
    </message>
    <message>
        <source>Checking encouragement preferences…</source>
        <translation>Einstellungen für Ermutigung werden geprüft…</translation>
    </message>
    <message>
        <source>Could not load preferences. Nothing was changed.</source>
        <translation>Einstellungen konnten nicht geladen werden. Nichts wurde geändert.</translation>
    </message>
    <message>
        <source>Encouragement is currently unavailable.</source>
        <translation>Ermutigung ist derzeit nicht verfügbar.</translation>
    </message>
    <message>
        <source>On</source>
        <translation>An</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Pausiert</translation>
    </message>
    <message>
        <source>Quiet hours</source>
        <translation>Ruhezeit</translation>
    </message>
    <message>
        <source>macOS permission</source>
        <translation>Berechtigung des Desktops</translation>
    </message>
    <message>
        <source>Allowed · macOS may silence delivery</source>
        <translation>Erlaubt · der Desktop kann die Zustellung stummschalten</translation>
    </message>
    <message>
        <source>Blocked</source>
        <translation>Blockiert</translation>
    </message>
    <message>
        <source>Not confirmed</source>
        <translation>Nicht bestätigt</translation>
    </message>
    <message>
        <source>Off by default. Recognize completed work, at most once a day across devices. Quiet from 10 pm to 9 am. Manage consent, channels and pauses on the web.</source>
        <translation>Standardmäßig aus. Erkennt abgeschlossene Arbeit, höchstens einmal am Tag über alle Geräte. Ruhig von 22 bis 9 Uhr. Zustimmung, Kanäle und Pausen verwaltest du im Web.</translation>
    </message>
    <message>
        <source>Allow private Mac alerts when the notch is unavailable</source>
        <translation>Private Desktop-Hinweise erlauben, wenn die Notch nicht verfügbar ist</translation>
    </message>
    <message>
        <source>Turn off Mac system alerts</source>
        <translation>Desktop-Hinweise des Systems ausschalten</translation>
    </message>
    <message>
        <source>A little recognition from vorno is here.</source>
        <translation>Eine kleine Anerkennung von vorno ist da.</translation>
    </message>
    <message>
        <source>Test notification</source>
        <translation>Testbenachrichtigung</translation>
    </message>
    <message>
        <source>This is a notification test. Your work stays inside vorno.</source>
        <translation>Das ist eine Testbenachrichtigung. Deine Arbeit bleibt in vorno.</translation>
    </message>
    <message>
        <source>Test sent. macOS may silence banners in Focus mode.</source>
        <translation>Test gesendet. Der Desktop kann Banner bei „Nicht stören“ stummschalten.</translation>
    </message>
    <message>
        <source>Could not send. Check vorno in System Settings &gt; Notifications.</source>
        <translation>Senden fehlgeschlagen. Prüfe vorno in den Benachrichtigungseinstellungen des Desktops.</translation>
    </message>
    <message>
        <source>Save to Vorno</source>
        <translation>In Vorno speichern</translation>
    </message>
    <message>
        <source>Retry save</source>
        <translation>Erneut speichern</translation>
    </message>
    <message>
        <source>New note</source>
        <translation>Neue Notiz</translation>
    </message>
    <message>
        <source>Your work</source>
        <translation>Deine Arbeit</translation>
    </message>
    <message>
        <source>No work loaded yet.</source>
        <translation>Noch keine Arbeit geladen.</translation>
    </message>
    <message>
        <source>Save sends this note to your account. Files stay on this Mac.</source>
        <translation>Speichern schickt diese Notiz an dein Konto. Dateien bleiben auf diesem Computer.</translation>
    </message>
    <message>
        <source>This note exceeds the 4,000-character manual record limit. You can still save the whole draft on this Mac.</source>
        <translation>Diese Notiz überschreitet die Grenze von 4.000 Zeichen für manuelle Einträge. Den ganzen Entwurf kannst du trotzdem auf diesem Computer speichern.</translation>
    </message>
    <message>
        <source>Saved to Vorno.</source>
        <translation>In Vorno gespeichert.</translation>
    </message>
    <message>
        <source>Could not connect. Your draft is still here. Try again.</source>
        <translation>Keine Verbindung. Dein Entwurf ist noch da. Versuche es erneut.</translation>
    </message>
    <message>
        <source>Could not keep your draft securely. Your writing is still here.</source>
        <translation>Dein Entwurf konnte nicht sicher aufbewahrt werden. Dein Text ist noch da.</translation>
    </message>
    <message>
        <source>Could not securely store or restore your login on this Mac. Your drafts have not been removed.</source>
        <translation>Deine Anmeldung konnte auf diesem Computer nicht sicher gespeichert oder wiederhergestellt werden. Deine Entwürfe wurden nicht entfernt.</translation>
    </message>
    <message>
        <source>This record changed on the web. Open Vorno web to check it; your draft is still here.</source>
        <translation>Dieser Eintrag wurde im Web geändert. Öffne Vorno im Web, um ihn zu prüfen; dein Entwurf ist noch da.</translation>
    </message>
    <message>
        <source>Signed out on this Mac. The server could not confirm session revocation.</source>
        <translation>Auf diesem Computer abgemeldet. Der Server konnte das Beenden der Sitzung nicht bestätigen.</translation>
    </message>
    <message>
        <source>Quick record</source>
        <translation>Schnelle Notiz</translation>
    </message>
    <message>
        <source>Add files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Open Vorno web</source>
        <translation>Vorno im Web öffnen</translation>
    </message>
    <message>
        <source>Open Vorno Mac</source>
        <translation>Vorno Companion öffnen</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Quit Vorno</source>
        <translation>Vorno beenden</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Save draft</source>
        <translation>Entwurf speichern</translation>
    </message>
    <message>
        <source>A little closer to your work.</source>
        <translation>Ein Stück näher an deiner Arbeit.</translation>
    </message>
    <message>
        <source>Your local draft</source>
        <translation>Dein lokaler Entwurf</translation>
    </message>
    <message>
        <source>On this Mac only. Not synced to Vorno.</source>
        <translation>Nur auf diesem Computer. Nicht mit Vorno synchronisiert.</translation>
    </message>
    <message>
        <source>What did you work on?</source>
        <translation>Woran hast du gearbeitet?</translation>
    </message>
    <message>
        <source>Draft saved on this Mac.</source>
        <translation>Entwurf auf diesem Computer gespeichert.</translation>
    </message>
    <message>
        <source>Could not save. Your writing is still here.</source>
        <translation>Speichern fehlgeschlagen. Dein Text ist noch da.</translation>
    </message>
    <message>
        <source>Could not read the existing draft. It has not been replaced.</source>
        <translation>Der vorhandene Entwurf konnte nicht gelesen werden. Er wurde nicht ersetzt.</translation>
    </message>
    <message>
        <source>Selected files</source>
        <translation>Ausgewählte Dateien</translation>
    </message>
    <message>
        <source>Only the file names are staged. Nothing has been uploaded.</source>
        <translation>Nur die Dateinamen sind vorgemerkt. Nichts wurde hochgeladen.</translation>
    </message>
    <message>
        <source>Choose readable files, not folders or links. Nothing was uploaded.</source>
        <translation>Wähle lesbare Dateien, keine Ordner oder Verknüpfungen. Nichts wurde hochgeladen.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Continue on the web</source>
        <translation>Im Web fortfahren</translation>
    </message>
    <message>
        <source>File upload is not connected yet.</source>
        <translation>Das Hochladen von Dateien ist noch nicht verbunden.</translation>
    </message>
    <message>
        <source>The web opens separately. Choose your files there to continue.</source>
        <translation>Das Web öffnet sich separat. Wähle dort deine Dateien, um fortzufahren.</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Show notch companion</source>
        <translation>Notch-Begleiter anzeigen</translation>
    </message>
    <message>
        <source>Connection status</source>
        <translation>Verbindungsstatus</translation>
    </message>
    <message>
        <source>No cloud jobs are connected.</source>
        <translation>Keine Cloud-Aufträge verbunden.</translation>
    </message>
    <message>
        <source>Pro AI encouragement is not connected yet.</source>
        <translation>Pro-KI-Ermutigung ist noch nicht verbunden.</translation>
    </message>
    <message>
        <source>No screen, microphone, keyboard or folder monitoring.</source>
        <translation>Keine Überwachung von Bildschirm, Mikrofon, Tastatur oder Ordnern.</translation>
    </message>
    <message>
        <source>Keep your draft before quitting?</source>
        <translation>Entwurf vor dem Beenden behalten?</translation>
    </message>
    <message>
        <source>Quit without saving</source>
        <translation>Beenden ohne Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Unsaved edits will be lost. The previously saved local draft stays unchanged.</source>
        <translation>Ungespeicherte Änderungen gehen verloren. Der zuvor gespeicherte lokale Entwurf bleibt unverändert.</translation>
    </message>
    <message>
        <source>Native development build</source>
        <translation>Native Entwicklungsversion</translation>
    </message>
    <message>
        <source>Drop files here</source>
        <translation>Dateien hier ablegen</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>Benachrichtigungen</translation>
    </message>
    <message>
        <source>Kept by this computer's TPM</source>
        <translation>Vom TPM dieses Computers aufbewahrt</translation>
    </message>
    <message>
        <source>Kept in your keyring</source>
        <translation>In deinem Schlüsselbund aufbewahrt</translation>
    </message>
    <message>
        <source>Checking how your login can be kept…</source>
        <translation>Es wird geprüft, wie deine Anmeldung aufbewahrt werden kann …</translation>
    </message>
    <message>
        <source>This computer has no TPM that Vorno can use, so you sign in again at every start.</source>
        <translation>Dieser Computer hat kein TPM, das Vorno nutzen kann. Du meldest dich deshalb bei jedem Start neu an.</translation>
    </message>
    <message>
        <source>Your user account may not use this computer's TPM. Run this once, then log out and in again:</source>
        <translation>Dein Benutzerkonto darf das TPM dieses Computers nicht nutzen. Führe dies einmal aus, dann melde dich ab und wieder an:</translation>
    </message>
    <message>
        <source>You may use the TPM from your next login on. Log out and in again to stay signed in.</source>
        <translation>Ab deiner nächsten Anmeldung darfst du das TPM nutzen. Melde dich ab und wieder an, um angemeldet zu bleiben.</translation>
    </message>
    <message>
        <source>This computer's TPM has an owner password, so Vorno cannot make its key there. Remove the password in the firmware settings, or keep your login in the keyring.</source>
        <translation>Das TPM dieses Computers hat ein Eigentümerpasswort, daher kann Vorno dort keinen Schlüssel anlegen. Entferne das Passwort in den Firmware-Einstellungen oder bewahre deine Anmeldung im Schlüsselbund auf.</translation>
    </message>
    <message>
        <source>This computer's TPM has locked itself after too many wrong passwords. It unlocks by itself after a while; an administrator can unlock it with tpm2_dictionarylockout --clear-lockout.</source>
        <translation>Das TPM dieses Computers hat sich nach zu vielen falschen Passwörtern gesperrt. Es entsperrt sich nach einer Weile von selbst; ein Administrator kann es mit tpm2_dictionarylockout --clear-lockout entsperren.</translation>
    </message>
    <message>
        <source>This computer's TPM no longer opens your kept login: the TPM was cleared, or the login was kept on another computer. Sign in again.</source>
        <translation>Das TPM dieses Computers öffnet deine aufbewahrte Anmeldung nicht mehr: Das TPM wurde zurückgesetzt, oder die Anmeldung stammt von einem anderen Computer. Melde dich erneut an.</translation>
    </message>
    <message>
        <source>This computer's TPM refused to make a key, so your login cannot be kept with it.</source>
        <translation>Das TPM dieses Computers hat das Anlegen eines Schlüssels verweigert, daher kann deine Anmeldung damit nicht aufbewahrt werden.</translation>
    </message>
    <message>
        <source>Keep my login in the keyring instead</source>
        <translation>Meine Anmeldung stattdessen im Schlüsselbund aufbewahren</translation>
    </message>
    <message>
        <source>No keyring service (Secret Service) runs on this desktop, so the login cannot be kept there.</source>
        <translation>Auf diesem Desktop läuft kein Schlüsselbunddienst (Secret Service), daher kann die Anmeldung dort nicht aufbewahrt werden.</translation>
    </message>
    <message>
        <source>Your keyring did not keep the login. You will sign in again at the next start.</source>
        <translation>Dein Schlüsselbund hat die Anmeldung nicht aufbewahrt. Du meldest dich beim nächsten Start erneut an.</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Keyboard</source>
        <translation>Tastatur</translation>
    </message>
    <message>
        <source>Quick record from anywhere</source>
        <translation>Schnelle Notiz von überall</translation>
    </message>
    <message>
        <source>See or change the shortcut in your desktop's keyboard settings.</source>
        <translation>Sieh dir das Tastenkürzel in den Tastatureinstellungen deines Desktops an oder ändere es dort.</translation>
    </message>
    <message>
        <source>To open Quick record from anywhere, bind this command to a key in your desktop's keyboard settings:</source>
        <translation>Um die schnelle Notiz von überall zu öffnen, lege diesen Befehl in den Tastatureinstellungen deines Desktops auf eine Taste:</translation>
    </message>
</context>
</TS>
