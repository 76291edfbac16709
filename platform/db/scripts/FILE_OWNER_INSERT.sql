-- A new attachment row: a link to a stored file (id > 0) or new content
-- whose bytes the client has already stored under c_file. Returns the stored
-- row; bl_file comes back empty so that the client lets go of the bytes.
select v.c_comment, v.c_file, v.n_size, v.id_creator, v.id, v.n_crc,
       v.c_table, v.n_key, v.n_row_version, v.c_sha256, v.d_create,
       cast( null as bytea ) as bl_file
  from lrg.file_owner_insert( :c_table , :n_key , :id , :c_file , :c_comment , :n_crc , :n_size , :bl_file , :c_sha256 ) v
