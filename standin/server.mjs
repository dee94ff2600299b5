// Stand-in for the Vorno web service and its storage project, for integration
// tests, benchmarks and the demo. It honours the requests and answers the
// companion relies on and nothing more. Test infrastructure only.
//
// 127.0.0.1:PORT  web origin (native API, sign-in page), storage project
//                 (auth/v1/token, auth/v1/logout) and the control interface
// 127.0.0.2:PORT  direct storage host: the real @tus/server at
//                 /storage/v1/upload/resumable
//
// Prints one JSON line with the addresses and the CA path, stops on SIGTERM.

import { execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import https from 'node:https';
import os from 'node:os';
import path from 'node:path';

import { FileStore } from '@tus/file-store';
import { Server as TusServer } from '@tus/server';

const uploadPath = '/storage/v1/upload/resumable';
const buckets = new Set(['career-sources', 'first-free-preflight']);
const appScheme = process.env.VORNO_APP_IDENTIFIER || 'app.vorno.desktop';
const publishableKey = 'pk-standin';
const maximumBody = 8 * 1024 * 1024;
const processingSteps = ['uploaded', 'queued', 'parsing', 'extracting', 'ready_for_review'];

// ---------------------------------------------------------------- TLS ------

function makeCertificates(directory) {
    const run = (args) => execFileSync('openssl', args, { cwd: directory, stdio: 'pipe' });
    run(['req', '-x509', '-newkey', 'ec', '-pkeyopt', 'ec_paramgen_curve:P-256', '-nodes', '-days', '2',
        '-subj', '/CN=Vorno stand-in CA', '-keyout', 'ca.key', '-out', 'ca.pem']);
    run(['req', '-new', '-newkey', 'ec', '-pkeyopt', 'ec_paramgen_curve:P-256', '-nodes',
        '-subj', '/CN=127.0.0.1', '-keyout', 'server.key', '-out', 'server.csr']);
    fs.writeFileSync(path.join(directory, 'san.ext'), 'subjectAltName=IP:127.0.0.1,IP:127.0.0.2,DNS:localhost\n');
    run(['x509', '-req', '-in', 'server.csr', '-CA', 'ca.pem', '-CAkey', 'ca.key', '-CAcreateserial', '-days', '2',
        '-extfile', 'san.ext', '-out', 'server.pem']);
    return {
        ca: path.join(directory, 'ca.pem'),
        key: fs.readFileSync(path.join(directory, 'server.key')),
        cert: fs.readFileSync(path.join(directory, 'server.pem')),
    };
}

// -------------------------------------------------------------- state ------

const state = {
    accounts: new Map(),     // id -> { id, email, pro, firstFree, encouragement, claims: [] }
    tokens: new Map(),       // access token -> { userId, expired, revoked, refresh }
    refreshTokens: new Map(), // refresh token -> { userId, used }
    codes: new Map(),        // one-time code -> { userId, challenge }
    signInAs: null,          // account the sign-in page signs in
    nativeCodes: true,       // issue "vm1_" codes (else PKCE codes for auth/v1/token)
    notes: new Map(),        // note id -> body
    objects: new Map(),      // "bucket/objectName" -> { sha256, size }
    preflight: new Map(),    // upload id -> { userId, fileId, objectPath }
    batches: new Map(),      // batch id -> { key, total, sources: Map }
    sources: new Map(),      // source id -> { userId, objectPath, completed, step, candidateCount }
    scripted: [],            // { method, path, status, body, times }
    // dropAfter: break the next PATCH after that many bytes, once dropSkip PATCHes went through
    faults: { dropAfter: null, dropSkip: 0, stall: false, expired: new Map(), // expired: upload id -> 404 | 410
              refuse: [] }, // { status, times }: the next PATCHes answered so, their bytes not taken
    uploads: new Map(),      // upload id -> { objectName, size }
    advertisedPort: null,    // the port the config names (a proxy in front of storage), else our own
    log: [],                 // { method, host, path }
};

function account(id) {
    return state.accounts.get(id);
}

function issueSession(userId) {
    const access = 'at-' + crypto.randomBytes(16).toString('hex');
    const refresh = 'rt-' + crypto.randomBytes(16).toString('hex');
    state.tokens.set(access, { userId, expired: false, revoked: false, refresh });
    state.refreshTokens.set(refresh, { userId, used: false });
    const user = account(userId);
    return {
        access_token: access,
        refresh_token: refresh,
        expires_at: Math.floor(Date.now() / 1000) + 3600,
        user: user.email ? { id: user.id, email: user.email } : { id: user.id },
    };
}

function bearer(request) {
    const header = request.headers.authorization || '';
    if (!header.startsWith('Bearer ')) return null;
    const token = state.tokens.get(header.slice(7));
    if (!token || token.expired || token.revoked) return null;
    return token;
}

function challengeOf(verifier) {
    return crypto.createHash('sha256').update(verifier, 'utf8').digest('base64url');
}

// -------------------------------------------------------------- HTTP -------

function send(response, status, body, headers = {}) {
    const text = body === undefined || body === null ? '' : (typeof body === 'string' ? body : JSON.stringify(body));
    response.writeHead(status, { 'content-type': 'application/json', 'content-length': Buffer.byteLength(text), ...headers });
    response.end(text);
}

function readBody(request) {
    return new Promise((resolve, reject) => {
        const chunks = [];
        let size = 0;
        request.on('data', (chunk) => {
            size += chunk.length;
            if (size > maximumBody) {
                reject(new Error('body too large'));
                request.destroy();
                return;
            }
            chunks.push(chunk);
        });
        request.on('end', () => resolve(Buffer.concat(chunks)));
        request.on('error', reject);
    });
}

async function readJson(request) {
    const bytes = await readBody(request);
    if (bytes.length === 0) return null;
    try {
        return JSON.parse(bytes.toString('utf8'));
    } catch {
        return undefined;
    }
}

function takeScripted(method, pathname) {
    const index = state.scripted.findIndex((s) => s.method === method && s.path === pathname);
    if (index < 0) return null;
    const scripted = state.scripted[index];
    if (--scripted.times <= 0) state.scripted.splice(index, 1);
    return scripted;
}

// ----------------------------------------------------------- routes --------

const consentKeys = ['version', 'authorized', 'redacted', 'responsibilityAccepted', 'aiProcessingAccepted'];

function validConsent(consent) {
    return consent && typeof consent === 'object' && typeof consent.version === 'string'
        && consentKeys.slice(1).every((key) => consent[key] === true);
}

function policyFor(user, locale) {
    const texts = {
        en: ['I have the right to upload these files.', 'I understand the files are processed to find my work.'],
        ko: ['이 파일을 올릴 권리가 있습니다.', '파일이 처리된다는 것을 이해합니다.'],
        ja: ['これらのファイルをアップロードする権利があります。', 'ファイルが処理されることを理解しています。'],
    };
    return {
        ownerId: user.id,
        pro: user.pro,
        firstFree: user.firstFree,
        extensions: ['pdf', 'txt', 'md', 'docx', 'csv'],
        contentTypes: {
            pdf: 'application/pdf', txt: 'text/plain', md: 'text/markdown', csv: 'text/csv',
            docx: 'application/vnd.openxmlformats-officedocument.wordprocessingml.document',
        },
        maxBytes: user.maxBytes || 20 * 1024 * 1024,
        consentVersion: user.consentVersion || '2026-01',
        copy: {
            checks: texts[locale] || texts.en,
            responsibility: 'You are responsible for what you upload.',
            processing: 'Files are processed to find your completed work.',
            retention: 'Files are deleted after processing.',
        },
    };
}

function sourceStatus(source) {
    if (!source.completed) return { status: 'pending_upload' };
    const status = processingSteps[Math.min(source.step, processingSteps.length - 1)];
    const answer = { status, progress: { completed: Math.min(source.step, 4), total: 4 } };
    if (status === 'ready_for_review') answer.candidateCount = source.candidateCount;
    return answer;
}

async function nativeApi(request, response, url) {
    const pathname = url.pathname;
    const method = request.method;

    if (method === 'GET' && pathname === '/mac/sign-in') {
        const stateParam = url.searchParams.get('state');
        const challenge = url.searchParams.get('challenge');
        const userId = state.signInAs || state.accounts.keys().next().value;
        if (!stateParam || !challenge || !userId) return send(response, 400, { error: 'bad_request' });
        const code = (state.nativeCodes ? 'vm1_' : 'pkce_') + crypto.randomBytes(16).toString('hex');
        state.codes.set(code, { userId, challenge });
        const callback = `${appScheme}://auth/callback?state=${encodeURIComponent(stateParam)}&code=${code}`;
        response.writeHead(302, { location: callback, 'content-length': 0 });
        return response.end();
    }
    if (method === 'GET' && pathname === '/api/native/config') {
        return send(response, 200, { url: `https://127.0.0.1:${state.advertisedPort || port}`, publishableKey });
    }
    if (method === 'POST' && pathname === '/api/native/exchange') {
        const body = await readJson(request);
        const entry = body && state.codes.get(body.code);
        if (!entry || typeof body.verifier !== 'string' || challengeOf(body.verifier) !== entry.challenge) {
            return send(response, 400, { error: 'invalid_grant' });
        }
        state.codes.delete(body.code);
        return send(response, 200, issueSession(entry.userId));
    }
    if (method === 'POST' && pathname === '/auth/v1/token') {
        if (request.headers.apikey !== publishableKey) return send(response, 401, { error: 'no_api_key' });
        const body = await readJson(request);
        const grant = url.searchParams.get('grant_type');
        if (grant === 'pkce') {
            const entry = body && state.codes.get(body.auth_code);
            if (!entry || challengeOf(body.code_verifier || '') !== entry.challenge) {
                return send(response, 400, { error: 'invalid_grant' });
            }
            state.codes.delete(body.auth_code);
            return send(response, 200, issueSession(entry.userId));
        }
        if (grant === 'refresh_token') {
            const entry = body && state.refreshTokens.get(body.refresh_token);
            if (!entry || entry.used) return send(response, 400, { error: 'invalid_grant' });
            entry.used = true;
            return send(response, 200, issueSession(entry.userId));
        }
        return send(response, 400, { error: 'unsupported_grant_type' });
    }
    if (method === 'POST' && pathname === '/auth/v1/logout') {
        if (request.headers.apikey !== publishableKey) return send(response, 401, { error: 'no_api_key' });
        const token = bearer(request);
        if (!token) return send(response, 401, { error: 'invalid_token' });
        token.revoked = true;
        state.refreshTokens.delete(token.refresh);
        return send(response, 204);
    }

    // Everything below needs a signed-in user.
    const token = bearer(request);
    if (!token) return send(response, 401, { error: 'invalid_token' });
    const user = account(token.userId);

    if (method === 'GET' && pathname === '/api/native/session') {
        return send(response, 200, { ownerId: user.id });
    }
    if (method === 'POST' && pathname === '/api/captures') {
        const body = await readJson(request);
        if (!body || typeof body.id !== 'string' || typeof body.text !== 'string' || body.category !== 'note') {
            return send(response, 400, { error: 'invalid_note' });
        }
        if (body.ownerId !== user.id) return send(response, 403, { error: 'owner_mismatch' });
        const previous = state.notes.get(body.id);
        // A retry of the same note is accepted; the same id with other text is a conflict.
        if (previous && previous.text !== body.text) return send(response, 409, { error: 'conflict' });
        state.notes.set(body.id, body);
        return send(response, previous ? 200 : 201, { id: body.id });
    }
    if (pathname === '/api/encouragement') {
        if (method === 'GET') {
            return send(response, 200, { ownerId: user.id, ...user.encouragement });
        }
        if (method === 'POST') {
            const body = await readJson(request);
            if (!body || body.channel !== 'mac' || request.headers['x-vorno-owner'] !== user.id) {
                return send(response, 400, { error: 'bad_claim' });
            }
            const message = user.claims.shift();
            return send(response, 200, message ? { ownerId: user.id, message } : { ownerId: user.id });
        }
    }

    // File collection: the service checks the owner header on every request.
    if (request.headers['x-vorno-owner'] !== user.id) return send(response, 403, { error: 'owner_mismatch' });

    if (method === 'GET' && pathname === '/api/native/files') {
        return send(response, 200, policyFor(user, url.searchParams.get('locale')));
    }
    if (method === 'POST' && pathname === '/api/first-drop/preflight/uploads') {
        const body = await readJson(request);
        if (!body || typeof body.fileId !== 'string' || !validConsent(body.consent)) {
            return send(response, 400, { error: 'invalid_request' });
        }
        if (!user.firstFree) return send(response, 402, { error: 'subscription_required' });
        const uploadId = crypto.randomUUID();
        const objectPath = `${user.id}/preflight/${body.batchId}/${body.fileId}`;
        state.preflight.set(uploadId, { userId: user.id, fileId: body.fileId, objectPath });
        const uploaded = state.objects.has(`first-free-preflight/${objectPath}`);
        return send(response, 200, { uploadId, objectPath, uploaded });
    }
    const preflightMatch = pathname.match(/^\/api\/first-drop\/preflight\/uploads\/([0-9a-fA-F-]{36})$/);
    if (method === 'POST' && preflightMatch) {
        const entry = state.preflight.get(preflightMatch[1].toLowerCase());
        if (!entry || entry.userId !== user.id) return send(response, 404, { error: 'unknown_upload' });
        if (!state.objects.has(`first-free-preflight/${entry.objectPath}`)) {
            return send(response, 409, { error: 'upload_not_complete' });
        }
        return send(response, 200, { proof: 'proof-' + crypto.createHash('sha256').update(entry.objectPath).digest('hex') });
    }
    if (method === 'POST' && pathname === '/api/first-drop') {
        const body = await readJson(request);
        if (!body || typeof body.id !== 'string' || !Array.isArray(body.files) || body.ownerId !== user.id
            || !validConsent(body.consent) || typeof body.key !== 'string') {
            return send(response, 400, { error: 'invalid_request' });
        }
        let batch = state.batches.get(body.id);
        if (!batch) {
            batch = { key: body.key, total: body.total, pages: [] };
            state.batches.set(body.id, batch);
        }
        if (batch.key !== body.key || batch.total !== body.total) return send(response, 409, { error: 'batch_changed' });
        batch.pages.push(body.offset);
        const sources = body.files.map((file) => {
            const objectPath = `${user.id}/${body.id}/${file.id}`;
            const existing = state.sources.get(file.id);
            if (!existing) {
                // A free collection's files are already in storage from their preflight.
                state.sources.set(file.id, { userId: user.id, objectPath, completed: true, step: 0, candidateCount: 2 });
            }
            return { sourceId: file.id, objectPath };
        });
        const sealed = body.offset + body.files.length === body.total;
        if (sealed && user.unsealedOnce) {
            user.unsealedOnce = false;
            return send(response, 200, { sources });
        }
        if (sealed) user.firstFree = false;
        return send(response, 200, { sources, sealed });
    }
    if (method === 'POST' && pathname === '/api/imports') {
        const body = await readJson(request);
        if (!body || typeof body.sourceId !== 'string' || !validConsent(body.consent)) {
            return send(response, 400, { error: 'invalid_request' });
        }
        if (!user.pro) return send(response, 402, { error: 'subscription_required' });
        const folder = user.foreignObjectPaths ? 'someone-else' : user.id;
        const objectPath = `${folder}/${body.sourceId}/${body.name}`;
        if (!state.sources.has(body.sourceId)) {
            state.sources.set(body.sourceId, { userId: user.id, objectPath, completed: false, step: 0, candidateCount: 3 });
        }
        return send(response, 200, { sourceId: body.sourceId, objectPath: state.sources.get(body.sourceId).objectPath });
    }
    if (pathname === '/api/imports/process' || pathname === '/api/imports/complete') {
        const sourceId = method === 'GET' ? url.searchParams.get('sourceId') : ((await readJson(request)) || {}).sourceId;
        const source = state.sources.get(sourceId);
        if (!source || source.userId !== user.id) return send(response, 404, { error: 'unknown_source' });
        if (pathname === '/api/imports/complete' && method === 'POST') {
            if (!source.completed && !state.objects.has(`career-sources/${source.objectPath}`)) {
                return send(response, 409, { error: 'upload_not_complete' });
            }
            source.completed = true;
            return send(response, 200, { status: 'uploaded' });
        }
        if (method === 'POST') {
            if (!source.completed) return send(response, 409, { error: 'upload_not_complete' });
            source.step = Math.max(source.step, 1);
            return send(response, 200, sourceStatus(source));
        }
        if (method === 'GET') {
            const answer = sourceStatus(source);
            // Processing moves one step each time the client asks.
            if (source.completed && source.step > 0) source.step += 1;
            return send(response, 200, answer);
        }
    }
    return send(response, 404, { error: 'not_found' });
}

// ---------------------------------------------------------- control --------

async function control(request, response, url) {
    const body = request.method === 'POST' ? (await readJson(request)) || {} : {};
    switch (url.pathname) {
    case '/_control/accounts': {
        const user = {
            id: body.id || crypto.randomUUID(),
            email: body.email,
            pro: body.pro === true,
            firstFree: body.firstFree !== false,
            consentVersion: body.consentVersion,
            maxBytes: body.maxBytes, // the service may allow more than the app can keep
            encouragement: body.encouragement || {
                available: true, pro: body.pro === true, preferences: { enabled: true, mac: true },
            },
            claims: [],
        };
        state.accounts.set(user.id, user);
        return send(response, 200, { id: user.id });
    }
    case '/_control/account': {
        const user = account(body.id);
        if (!user) return send(response, 404, {});
        // A broken service: foreignObjectPaths hands out object paths outside the user's folder,
        // unsealedOnce leaves the next last page of a free batch unsealed.
        for (const key of ['pro', 'firstFree', 'consentVersion', 'encouragement', 'foreignObjectPaths', 'unsealedOnce', 'maxBytes']) {
            if (key in body) user[key] = body[key];
        }
        if (Array.isArray(body.claims)) user.claims.push(...body.claims);
        return send(response, 200, {});
    }
    case '/_control/sessions':
        if (!account(body.userId)) return send(response, 404, {});
        return send(response, 200, issueSession(body.userId));
    case '/_control/tokens': {
        // { access_token, expired?, revoked? }
        const token = state.tokens.get(body.access_token);
        if (!token) return send(response, 404, {});
        if ('expired' in body) token.expired = body.expired;
        if ('revoked' in body) token.revoked = body.revoked;
        return send(response, 200, {});
    }
    case '/_control/signin':
        state.signInAs = body.userId || null;
        state.nativeCodes = body.native !== false;
        return send(response, 200, {});
    case '/_control/next':
        state.scripted.push({ method: body.method, path: body.path, status: body.status, body: body.body, times: body.times || 1 });
        return send(response, 200, {});
    case '/_control/faults':
        if ('dropAfter' in body) state.faults.dropAfter = body.dropAfter;
        if ('dropSkip' in body) state.faults.dropSkip = body.dropSkip;
        if ('stall' in body) state.faults.stall = body.stall;
        if (body.expire) state.faults.expired.set(body.expire, body.status || 404);
        if (body.refuse) state.faults.refuse.push({ status: body.refuse, times: body.times || 1 });
        return send(response, 200, {});
    case '/_control/advertise':
        state.advertisedPort = body.port || null;
        return send(response, 200, {});
    case '/_control/state': {
        const session = (token) => state.tokens.get(token);
        return send(response, 200, {
            notes: [...state.notes.values()],
            objects: Object.fromEntries(state.objects),
            sessions: Object.fromEntries([...state.tokens].map(([token, entry]) => [token, {
                userId: entry.userId, revoked: entry.revoked, expired: entry.expired,
            }])),
            revoked: url.searchParams.has('token') ? !!session(url.searchParams.get('token'))?.revoked : undefined,
            batches: Object.fromEntries([...state.batches].map(([id, batch]) => [id, { key: batch.key, total: batch.total, pages: batch.pages }])),
            log: state.log,
            uploads: Object.fromEntries([...state.uploads].map(([id, upload]) => [id, {
                ...upload, offset: fs.statSync(path.join(uploadDirectory, id), { throwIfNoEntry: false })?.size ?? 0,
            }])),
        });
    }
    default:
        return send(response, 404, {});
    }
}

// ------------------------------------------------------------ uploads ------

const workDirectory = fs.mkdtempSync(path.join(os.tmpdir(), 'vorno-standin-'));
const uploadDirectory = path.join(workDirectory, 'uploads');
fs.mkdirSync(uploadDirectory);

const tus = new TusServer({
    path: uploadPath,
    datastore: new FileStore({ directory: uploadDirectory }),
    maxSize: 64 * 1024 * 1024,
    // Behind its own TLS the upload server cannot tell; answer with https addresses.
    generateUrl(request, { host, path: base, id }) {
        return `https://${host}${base}/${id}`;
    },
    async onIncomingRequest(request) {
        const header = request.headers.get('authorization') || '';
        const token = header.startsWith('Bearer ') ? state.tokens.get(header.slice(7)) : null;
        if (!token || token.expired || token.revoked) throw { status_code: 401, body: 'invalid token\n' };
    },
    async onUploadCreate(request, upload) {
        const header = request.headers.get('authorization') || '';
        const token = state.tokens.get(header.slice(7));
        const metadata = upload.metadata || {};
        if (!buckets.has(metadata.bucketName) || typeof metadata.objectName !== 'string'
            || !metadata.objectName.startsWith(token.userId + '/') || metadata.objectName.includes('..')) {
            throw { status_code: 400, body: 'invalid metadata\n' };
        }
        state.uploads.set(upload.id, { objectName: metadata.objectName, size: upload.size });
        return {};
    },
    async onUploadFinish(request, upload) {
        const bytes = fs.readFileSync(path.join(uploadDirectory, upload.id));
        const metadata = upload.metadata || {};
        state.objects.set(`${metadata.bucketName}/${metadata.objectName}`, {
            sha256: crypto.createHash('sha256').update(bytes).digest('hex'),
            size: bytes.length,
            contentType: metadata.contentType,
        });
        return {};
    },
});

function uploads(request, response, url) {
    const id = url.pathname.startsWith(uploadPath + '/') ? url.pathname.slice(uploadPath.length + 1) : null;
    if (id && state.faults.expired.has(id)) {
        return send(response, state.faults.expired.get(id), '', { 'tus-resumable': '1.0.0' });
    }
    if (request.method === 'PATCH' && state.faults.refuse.length > 0) {
        const refusal = state.faults.refuse[0];
        if (--refusal.times <= 0) state.faults.refuse.shift();
        request.resume();
        return send(response, refusal.status, '', { 'tus-resumable': '1.0.0' });
    }
    if (state.faults.stall && request.method === 'PATCH') {
        state.faults.stall = false;
        return; // never answered; the client's time-out ends it
    }
    if (request.method === 'PATCH' && Number.isInteger(state.faults.dropAfter) && state.faults.dropSkip > 0) {
        state.faults.dropSkip -= 1;
    } else if (request.method === 'PATCH' && Number.isInteger(state.faults.dropAfter)) {
        const limit = state.faults.dropAfter;
        state.faults.dropAfter = null;
        let seen = 0;
        request.socket.on('data', (chunk) => {
            seen += chunk.length;
            if (seen >= limit) request.socket.destroy();
        });
    }
    return tus.handle(request, response);
}

// ------------------------------------------------------------- servers -----

const certificates = makeCertificates(workDirectory);

async function dispatch(request, response) {
    const host = request.socket.localAddress;
    const url = new URL(request.url, `https://${host}`);
    const entry = { method: request.method, host, path: url.pathname };
    if (request.headers['upload-offset'] !== undefined) entry.offset = Number(request.headers['upload-offset']);
    state.log.push(entry);
    try {
        if (host === '127.0.0.2' || host === '::ffff:127.0.0.2') {
            if (url.pathname === uploadPath || url.pathname.startsWith(uploadPath + '/')) return uploads(request, response, url);
            if (url.pathname === '/_bench/put' && request.method === 'PUT') {
                const hash = crypto.createHash('sha256');
                request.on('data', (chunk) => hash.update(chunk));
                request.on('end', () => send(response, 200, { sha256: hash.digest('hex') }));
                return undefined;
            }
            return send(response, 404, { error: 'not_found' });
        }
        if (url.pathname.startsWith('/_control/')) return await control(request, response, url);
        const scripted = takeScripted(request.method, url.pathname);
        if (scripted) {
            await readBody(request).catch(() => undefined);
            return send(response, scripted.status, scripted.body ?? '');
        }
        return await nativeApi(request, response, url);
    } catch (error) {
        if (!response.headersSent) send(response, 500, { error: 'standin_failure' });
        process.stderr.write(`stand-in: ${error && error.stack ? error.stack : error}\n`);
        return undefined;
    }
}

function listen(host, wantedPort) {
    return new Promise((resolve, reject) => {
        const server = https.createServer({ key: certificates.key, cert: certificates.cert }, dispatch);
        server.keepAliveTimeout = 5000;
        server.once('error', reject);
        server.listen(wantedPort, host, () => resolve(server));
    });
}

let port = 0;
let servers = [];
for (let attempt = 0; attempt < 20 && servers.length === 0; ++attempt) {
    const first = await listen('127.0.0.1', 0);
    const candidate = first.address().port;
    try {
        // The direct storage host keeps the project's port: only the host changes.
        const second = await listen('127.0.0.2', candidate);
        port = candidate;
        servers = [first, second];
    } catch {
        first.close();
    }
}
if (servers.length === 0) {
    process.stderr.write('stand-in: no port free on both 127.0.0.1 and 127.0.0.2\n');
    process.exit(1);
}

function stop() {
    for (const server of servers) {
        server.closeAllConnections?.();
        server.close();
    }
    fs.rmSync(workDirectory, { recursive: true, force: true });
    process.exit(0);
}
process.on('SIGTERM', stop);
process.on('SIGINT', stop);

process.stdout.write(JSON.stringify({
    origin: `https://127.0.0.1:${port}`,
    storage: `https://127.0.0.2:${port}`,
    port,
    ca: certificates.ca,
}) + '\n');
