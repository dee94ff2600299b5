// Uploads one file to the stand-in with tus-js-client, for the upload benchmark.
// Usage: node tus-js-upload.mjs ENDPOINT ACCESS_TOKEN FILE OBJECT_PATH
// (NODE_EXTRA_CA_CERTS must name the stand-in's CA.)
import fs from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(new URL('../standin/package.json', import.meta.url));
const tus = require('tus-js-client');

const [endpoint, token, file, objectPath] = process.argv.slice(2);
const bytes = fs.readFileSync(file);
const upload = new tus.Upload(bytes, {
    endpoint,
    chunkSize: 6 * 1024 * 1024,
    headers: { authorization: `Bearer ${token}` },
    metadata: { bucketName: 'career-sources', objectName: objectPath, contentType: 'text/plain', cacheControl: '0' },
    retryDelays: [],
    onError(error) {
        process.stderr.write(`tus-js-client: ${error}\n`);
        process.exit(1);
    },
    onSuccess() {
        process.exit(0);
    },
});
upload.start();
