-- The documents kept for one record, newest first.
select d.c_name, d.d_create, u.c_name as c_creator, d.id, d.c_type, d.n_key, d.id_template,
       d.id_creator, d.c_html, d.n_row_version
  from lrg.t_document d
  left join sys.t_user u on u.id = d.id_creator
 where d.c_type = :c_type
   and d.n_key = :n_key
 order by d.d_create desc, d.id desc
