// Loads LDraw models with three.js's LDrawLoader under Node and prints what each gives: meshes,
// triangles, edge and conditional line segments, parts, the files fetched and the warnings.
//   node load_ldraw.mjs packed FILE.mpd           the packed MPD alone: every fetch is refused
//   node load_ldraw.mjs served MAIN ROOT...       MAIN parsed; its files served from the ROOTs
// The output is one JSON object a model.
import fs from 'node:fs';
import path from 'node:path';
import * as THREE from 'three';
import { LDrawLoader } from 'three/examples/jsm/loaders/LDrawLoader.js';
import { LDrawConditionalLineMaterial } from 'three/examples/jsm/materials/LDrawConditionalLineMaterial.js';

// Node has no ProgressEvent, which three's FileLoader raises while it reads a response.
globalThis.ProgressEvent ??= class ProgressEvent extends Event {
	constructor( type, init = {} ) {

		super( type );
		Object.assign( this, init );

	}
};

const warnings = [];
console.warn = ( ...args ) => warnings.push( args.map( String ).join( ' ' ) );

// A file under root, every component matched without regard to letter case, as LDraw libraries
// are read on Windows. Folder listings are read once.
const listings = new Map();
function listing( folder ) {

	if ( ! listings.has( folder ) ) {

		const names = new Map();
		if ( fs.existsSync( folder ) && fs.statSync( folder ).isDirectory() ) {

			for ( const name of fs.readdirSync( folder ) ) names.set( name.toLowerCase(), name );

		}
		listings.set( folder, names );

	}
	return listings.get( folder );

}
function findIgnoringCase( root, relative ) {

	let current = root;
	for ( const component of relative.split( '/' ).filter( c => c.length > 0 ) ) {

		const match = listing( current ).get( component.toLowerCase() );
		if ( match === undefined ) return null;
		current = path.join( current, match );

	}
	return fs.statSync( current ).isFile() ? current : null;

}

const fetched = [];
function serveFrom( roots ) {

	globalThis.fetch = async request => {

		const url = decodeURIComponent( new URL( typeof request === 'string' ? request : request.url ).pathname ).replace( /^\/+/, '' );
		fetched.push( url );
		// The loader asks for a model's own s\ file as parts/s/...: a model folder is served under
		// parts/, p/ and models/ too.
		const inFolder = url.replace( /^(parts|p|models)\//i, '' );
		for ( const root of roots ) {

			const file = findIgnoringCase( root, url ) ?? findIgnoringCase( root, inFolder );
			if ( file !== null ) return new Response( fs.readFileSync( file ) );

		}
		return new Response( null, { status: 404, statusText: 'Not Found' } );

	};

}

function summary( group ) {

	const counts = { meshes: 0, triangles: 0, edges: 0, conditionalEdges: 0, parts: 0 };
	group.traverse( object => {

		if ( object.isMesh ) {

			counts.meshes ++;
			const geometry = object.geometry;
			counts.triangles += ( geometry.index ? geometry.index.count : geometry.attributes.position.count ) / 3;

		} else if ( object.isLineSegments ) {

			const segments = object.geometry.attributes.position.count / 2;
			if ( object.isConditionalLine ) counts.conditionalEdges += segments;
			else counts.edges += segments;

		}
		if ( object.userData.type === 'Part' ) counts.parts ++;

	} );
	return counts;

}

const [ mode, file, ...roots ] = process.argv.slice( 2 );
const loader = new LDrawLoader();
loader.setConditionalLineMaterial( LDrawConditionalLineMaterial );
// Node's fetch takes absolute URLs only: the files are asked for under a host that is never reached.
const origin = 'http://ldraw.invalid/';
loader.setPath( origin );
loader.setPartsLibraryPath( origin );
if ( mode === 'served' ) {

	serveFrom( roots );
	await loader.preloadMaterials( 'LDConfig.ldr' );

} else {

	serveFrom( [] );

}
const text = fs.readFileSync( file, 'latin1' );
const group = await new Promise( ( resolve, reject ) => loader.parse( text, resolve, reject ) );
console.log( JSON.stringify( { ...summary( group ), fetched: mode === 'packed' ? fetched : fetched.length, warnings } ) );
